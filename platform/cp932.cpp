// CP932 <-> UTF-8 over the system's code page (platform/cp932_system.h), with
// the same rules on every system: a character is encoded only when it decodes
// back to itself; the single bytes that are no CP932 character but that the
// Windows code page still converts go both ways: 0x80 as U+0080, 0xA0 as
// U+F8F0 and 0xFD..0xFF as U+F8F1..U+F8F3, so texts that differ only in such a
// byte stay different. Every character is asked of the system once per
// thread and remembered: the encoding has no state, so a character converts
// alone as it does within any text.
#include "platform/cp932_system.h"
#include "platform/text.h"
#include "platform/utf8_scan.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace platform {

namespace {

constexpr char kReplacementUtf8[] = "\xEF\xBF\xBD"; // U+FFFD

struct WindowsOnlyByte {
    char byte;
    std::string_view utf8;
};
constexpr WindowsOnlyByte kWindowsOnlyBytes[] = {{'\x80', "\xC2\x80"},
                                                 {'\xA0', "\xEF\xA3\xB0"},
                                                 {'\xFD', "\xEF\xA3\xB1"},
                                                 {'\xFE', "\xEF\xA3\xB2"},
                                                 {'\xFF', "\xEF\xA3\xB3"}};

std::optional<std::string_view> DecodeWindowsOnlyByte(char byte) {
    for (const auto& b : kWindowsOnlyBytes) {
        if (b.byte == byte)
            return b.utf8;
    }
    return std::nullopt;
}

std::optional<char> EncodeWindowsOnlyCharacter(std::string_view utf8) {
    for (const auto& b : kWindowsOnlyBytes) {
        if (b.utf8 == utf8)
            return b.byte;
    }
    return std::nullopt;
}

// The first bytes of CP932's two-byte characters.
bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

constexpr std::uint8_t kUnknown = 0;
constexpr std::uint8_t kRefused = 0xFF;

// A lazily filled table of 128 or 256 pages of 256 entries.
template <class Entry, std::size_t Pages> class PagedCache {
public:
    Entry& At(std::size_t page, std::size_t index) {
        auto& p = m_pages[page];
        if (!p)
            p = std::make_unique<std::array<Entry, 256>>();
        return (*p)[index];
    }

private:
    std::array<std::unique_ptr<std::array<Entry, 256>>, Pages> m_pages;
};

class Cp932Decoder {
public:
    void Decode(std::string_view bytes, std::string& out) {
        // No character gives more than 7 bytes of UTF-8 for 2 bytes of CP932
        // (U+FFFD: 3 for 1).
        const std::size_t start = out.size();
        out.resize(start + 4 * bytes.size());
        char* to = out.data() + start;
        const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
        for (std::size_t i = 0; i < bytes.size();) {
            if (in[i] < 0x80) {
                *to++ = static_cast<char>(in[i++]);
                continue;
            }
            const bool pair = IsLeadByte(in[i]) && i + 1 < bytes.size();
            const Char& ch = Lookup(in[i], pair ? in[i + 1] : -1);
            // Refused: a stray trail byte, an invalid or unassigned pair (its
            // second byte is then decoded on its own) or a lead byte at the
            // end, which becomes its Windows mapping or U+FFFD.
            std::string_view utf8;
            if (ch.length != kRefused)
                utf8 = std::string_view(ch.utf8, ch.length);
            else
                utf8 = DecodeWindowsOnlyByte(static_cast<char>(in[i])).value_or(kReplacementUtf8);
            to = std::copy(utf8.begin(), utf8.end(), to);
            i += pair && ch.length != kRefused ? 2 : 1;
        }
        out.resize(static_cast<std::size_t>(to - out.data()));
    }

private:
    struct Char {
        char utf8[7];
        std::uint8_t length = kUnknown;
    };

    // A byte from 0x80 on alone (trail -1), or a lead byte and its trail.
    const Char& Lookup(unsigned char first, int trail) {
        Char& ch = trail >= 0 ? m_pairs.At(first - 0x80u, static_cast<std::size_t>(trail))
                              : m_single[first - 0x80u];
        if (ch.length == kUnknown) {
            const char code[2] = {static_cast<char>(first), static_cast<char>(trail)};
            // The Windows-only bytes follow the project's rule, whatever the
            // system's code page makes of them.
            const int n = trail < 0 && DecodeWindowsOnlyByte(code[0])
                              ? 0
                              : detail::SystemDecodeCp932(
                                    std::string_view(code, trail >= 0 ? 2 : 1), ch.utf8);
            ch.length = n > 0 ? static_cast<std::uint8_t>(n) : kRefused;
        }
        return ch;
    }

    std::array<Char, 128> m_single{};
    PagedCache<Char, 128> m_pairs;
};

// The CP932 form of each BMP character, by code point.
class Cp932Encoder {
public:
    // Appends the CP932 form of one well-formed non-ASCII UTF-8 character;
    // false when it has none.
    bool Encode(std::string_view utf8, std::string& out) {
        if (const auto byte = EncodeWindowsOnlyCharacter(utf8)) {
            out += *byte;
            return true;
        }
        if (utf8.size() > 3)
            return false; // beyond the BMP: CP932 has none of these
        char32_t cp = static_cast<unsigned char>(utf8[0]) & (utf8.size() == 2 ? 0x1F : 0x0F);
        for (std::size_t i = 1; i < utf8.size(); ++i)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
        Bytes& b = m_cache.At(cp >> 8, cp & 0xFF);
        if (b.length == kUnknown) {
            // Only a form that decodes back to the character counts: a
            // one-way mapping (glibc's U+301C or U+00A5) would change the text,
            // and the Windows code page refuses them.
            const int n = detail::SystemEncodeCp932(utf8, b.bytes);
            char back[7];
            const int m = n > 0 ? detail::SystemDecodeCp932(std::string_view(b.bytes, n), back) : 0;
            const bool roundTrip =
                m > 0 && std::string_view(back, static_cast<std::size_t>(m)) == utf8;
            b.length = roundTrip ? static_cast<std::uint8_t>(n) : kRefused;
        }
        if (b.length == kRefused)
            return false;
        out.append(b.bytes, b.length);
        return true;
    }

private:
    struct Bytes {
        char bytes[2];
        std::uint8_t length = kUnknown;
    };
    PagedCache<Bytes, 256> m_cache;
};

} // namespace

std::string Cp932ToUtf8(std::string_view bytes) {
    std::string out;
    Cp932ToUtf8(bytes, out);
    return out;
}

void Cp932ToUtf8(std::string_view bytes, std::string& out) {
    thread_local Cp932Decoder decoder;
    out.clear();
    decoder.Decode(bytes, out);
}

std::string Utf8ToCp932(std::string_view utf8, bool* exact) {
    thread_local Cp932Encoder encoder;
    std::string out;
    out.reserve(utf8.size());
    bool allExact = true;
    for (std::size_t pos = 0; pos < utf8.size();) {
        if (static_cast<unsigned char>(utf8[pos]) < 0x80) {
            out += utf8[pos++];
            continue;
        }
        // Ill-formed UTF-8: one '?' for each maximal subpart; so is a
        // character CP932 cannot hold.
        bool wellFormed = false;
        const std::size_t length = detail::ScanUtf8(utf8, pos, &wellFormed);
        if (!wellFormed || !encoder.Encode(utf8.substr(pos, length), out)) {
            out += '?';
            allExact = false;
        }
        pos += length;
    }
    if (exact)
        *exact = allExact;
    return out;
}

} // namespace platform
