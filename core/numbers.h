// Numbers as the settings and catalogues hold them.
#pragma once

#include <string_view>
#include <vector>

// Reads a decimal integer the way the C library's atoi does on the systems the
// data comes from: leading white space, an optional sign, digits up to the
// first non-digit; no digits give 0; values beyond the int range are clamped.
int AtoiLike(std::string_view text);

// The pieces of a comma list, split at every comma ("a,,b" gives three).
std::vector<std::string_view> SplitAtCommas(std::string_view text);
