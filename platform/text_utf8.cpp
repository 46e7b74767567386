// UTF-8 validation and text files' encodings (portable).
#include "platform/text.h"
#include "platform/utf8_scan.h"

namespace platform {

namespace detail {

std::size_t ScanUtf8(std::string_view bytes, std::size_t pos, bool* wellFormed) {
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byteAt(pos);
    *wellFormed = false;
    if (lead < 0x80) {
        *wellFormed = true;
        return 1;
    }
    std::size_t length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            secondLow = 0xA0; // no overlong forms
        else if (lead == 0xED)
            secondHigh = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            secondLow = 0x90; // no overlong forms
        else if (lead == 0xF4)
            secondHigh = 0x8F; // nothing above U+10FFFF
    } else {
        return 1; // a stray trail byte, C0, C1 or F5..FF
    }
    std::size_t i = 1;
    for (; i < length; ++i) {
        if (pos + i >= bytes.size())
            return i;
        const unsigned char c = byteAt(pos + i);
        const unsigned char low = i == 1 ? secondLow : 0x80;
        const unsigned char high = i == 1 ? secondHigh : 0xBF;
        if (c < low || c > high)
            return i;
    }
    *wellFormed = true;
    return length;
}

} // namespace detail

bool IsValidUtf8(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        bool wellFormed = false;
        pos += detail::ScanUtf8(bytes, pos, &wellFormed);
        if (!wellFormed)
            return false;
    }
    return true;
}

std::string TextFileToUtf8(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.starts_with(kBom))
        bytes.remove_prefix(kBom.size());
    return IsValidUtf8(bytes) ? std::string(bytes) : Cp932ToUtf8(bytes);
}

} // namespace platform
