#include "core/find_fold.h"

#include <cstdint>

namespace {

// Full-width forms of U+FF61-U+FF9D, in that order.
constexpr char16_t kHalfWidthKana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3};
constexpr char32_t kHalfVoiced = 0xFF9E, kHalfSemiVoiced = 0xFF9F;

// The kana that a voiced (or semi-voiced) mark turns into, or 0 where none.
char32_t Composed(char32_t kana, bool semi) {
    const bool hRow = kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0;
    if (semi)
        return hRow ? kana + 2 : 0;
    if (hRow || (kana >= 0x30AB && kana <= 0x30C2 && kana % 2 == 1) || kana == 0x30C4 ||
        kana == 0x30C6 || kana == 0x30C8)
        return kana + 1;
    switch (kana) {
    case 0x30A6:
        return 0x30F4;
    case 0x30EF:
        return 0x30F7;
    case 0x30F2:
        return 0x30FA;
    default:
        return 0;
    }
}

// Decodes one UTF-8 character at text[i]; 0 bytes when it is not valid.
int Decode(std::string_view text, std::size_t i, char32_t& cp) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = b(i);
    int length = lead < 0x80                   ? 1
                 : lead >= 0xC2 && lead < 0xE0 ? 2
                 : lead >= 0xE0 && lead < 0xF0 ? 3
                 : lead >= 0xF0 && lead < 0xF5 ? 4
                                               : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    cp = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if ((b(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
    return overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000) ? 0 : length;
}

void Encode(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return;
    }
    const int length = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    static constexpr unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLead[length] | (cp >> (6 * (length - 1))));
    for (int k = length - 2; k >= 0; --k)
        out += static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
}

char32_t KanaAndCase(char32_t cp) {
    if (cp >= 'A' && cp <= 'Z')
        return cp + ('a' - 'A');
    if (cp >= 0x30A1 && cp <= 0x30F6)
        return cp - 0x60;
    return cp;
}

} // namespace

std::string FoldForFind(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const int length = Decode(text, i, cp);
        if (length == 0) {
            out += text[i++];
            continue;
        }
        i += length;
        if (cp >= 0xFF01 && cp <= 0xFF5E) {
            cp -= 0xFEE0;
        } else if (cp >= 0xFF61 && cp <= 0xFF9D) {
            cp = kHalfWidthKana[cp - 0xFF61];
            char32_t mark = 0;
            if (i < text.size() && Decode(text, i, mark) == 3 &&
                (mark == kHalfVoiced || mark == kHalfSemiVoiced)) {
                if (const char32_t voiced = Composed(cp, mark == kHalfSemiVoiced)) {
                    cp = voiced;
                    i += 3;
                }
            }
        } else if (cp == kHalfVoiced || cp == kHalfSemiVoiced) {
            cp = cp == kHalfVoiced ? 0x3099 : 0x309A;
        }
        Encode(KanaAndCase(cp), out);
    }
    return out;
}

bool EntryHoldsFind(const VoiceEntry& entry, std::string_view folded) {
    return FoldForFind(entry.pszText).find(folded) != std::string::npos ||
           FoldForFind(entry.pszExtra).find(folded) != std::string::npos;
}
