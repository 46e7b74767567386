// Internal to the platform layer: UTF-8 sequence scanning shared by the text
// functions. Not part of the platform interface.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform::detail {

// Looks at the UTF-8 sequence that starts at bytes[pos] (pos < bytes.size()).
// Returns its length and sets *wellFormed to true when it is a well-formed
// character (Unicode table 3-7: no overlong forms, no surrogates, nothing above
// U+10FFFF). Otherwise sets *wellFormed to false and returns the length of the
// maximal subpart (at least 1), the unit that one replacement character stands
// for in Unicode's recommended practice.
std::size_t ScanUtf8(std::string_view bytes, std::size_t pos, bool* wellFormed);

} // namespace platform::detail
