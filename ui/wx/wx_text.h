// UTF-8 (the program's text) to and from wxString.
#pragma once

#include <wx/string.h>

#include <string>
#include <string_view>

namespace voxwx {

inline wxString ToWx(std::string_view utf8) {
    return wxString::FromUTF8(utf8.data(), utf8.size());
}

inline std::string ToUtf8(const wxString& text) {
    const wxScopedCharBuffer buffer = text.utf8_str();
    return std::string(buffer.data(), buffer.length());
}

} // namespace voxwx
