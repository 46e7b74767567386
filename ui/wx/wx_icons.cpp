#include "ui/wx/wx_icons.h"

#include <wx/icon.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include <cstdlib>

namespace voxwx {

namespace {
wxImage Decode(const IconPng& png) {
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxMemoryInputStream in(png.data, png.bytes);
    return wxImage(in, wxBITMAP_TYPE_PNG);
}
} // namespace

wxIconBundle ProgramIcons() {
    wxIconBundle bundle;
    for (std::size_t i = 0; i < kProgramIconPngCount; ++i) {
        wxIcon icon;
        icon.CopyFromBitmap(wxBitmap(Decode(kProgramIconPngs[i])));
        bundle.AddIcon(icon);
    }
    return bundle;
}

wxBitmap ProgramIconBitmap(int size) {
    const IconPng* best = nullptr;
    for (std::size_t i = 0; i < kProgramIconPngCount; ++i) {
        const IconPng& png = kProgramIconPngs[i];
        if (!best || std::abs(png.size - size) < std::abs(best->size - size))
            best = &png;
    }
    if (!best)
        return wxBitmap();
    wxImage image = Decode(*best);
    if (best->size != size)
        image.Rescale(size, size, wxIMAGE_QUALITY_HIGH);
    return wxBitmap(image);
}

} // namespace voxwx
