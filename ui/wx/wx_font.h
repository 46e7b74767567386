// The font of a dialog template on this system.
#pragma once

#include <wx/font.h>

#include <string_view>

namespace voxwx {

// The Japanese UI font that stands in for a template font this system lacks.
inline constexpr const char* kFallbackFace = "Noto Sans CJK JP";

// The template's face at the template's size when the system has it;
// otherwise the fallback Japanese UI font at the same size; otherwise the
// system's GUI font at that size.
wxFont DialogFont(std::string_view faceName, int points);

} // namespace voxwx
