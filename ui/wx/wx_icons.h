// The program icon (resource IDR_MAINFRAME): our own picture at 16, 32
// and 48 pixels, embedded from resources/icons at build time.
#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

#include <cstddef>

struct IconPng {
    int size;
    const unsigned char* data;
    std::size_t bytes;
};
extern const IconPng kProgramIconPngs[];
extern const std::size_t kProgramIconPngCount;

namespace voxwx {

// Every size of the program icon, for window icons.
wxIconBundle ProgramIcons();
// The picture at the given size (the nearest size scaled when not embedded).
wxBitmap ProgramIconBitmap(int size);

} // namespace voxwx
