// Numbers as the settings and catalogues hold them.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// The white space that atoi skips: space, tab, LF, VT, FF, CR.
inline bool IsAtoiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads a decimal integer the way the C library's atoi does on the systems the
// data comes from: leading white space, an optional sign, digits up to the
// first non-digit; no digits give 0; values beyond the int range are clamped.
// *used (when given): the bytes the number took, 0 when it has no digits.
int AtoiLike(std::string_view text, std::size_t* used = nullptr);

// The pieces of a comma list, split at every comma ("a,,b" gives three).
std::vector<std::string_view> SplitAtCommas(std::string_view text);
