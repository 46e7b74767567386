#include "ui/wx/wx_font.h"

#include <wx/fontenum.h>
#include <wx/settings.h>

namespace voxwx {

wxFont DialogFont(std::string_view faceName, int points) {
    const wxString face = wxString::FromUTF8(faceName.data(), faceName.size());
    for (const wxString& candidate : {face, wxString(kFallbackFace)}) {
        if (!candidate.empty() && wxFontEnumerator::IsValidFacename(candidate))
            return wxFont(wxFontInfo(points).FaceName(candidate));
    }
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    font.SetPointSize(points);
    return font;
}

} // namespace voxwx
