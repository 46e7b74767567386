// Internal to the platform layer: names compared the way Windows file and
// private-profile names are, without regard to ASCII letter case. Folding is
// ASCII only: "Ａ" and "ａ" (full-width) or "É" and "é" differ, as they would
// need a Unicode table and Windows data rarely depends on them.
#pragma once

#include <algorithm>
#include <string_view>

namespace platform::detail {

inline unsigned char FoldAscii(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

// Case-insensitive order; names equal without case are ordered by their bytes.
inline bool LessIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char fa = FoldAscii(a[i]);
        const unsigned char fb = FoldAscii(b[i]);
        if (fa != fb)
            return fa < fb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

} // namespace platform::detail
