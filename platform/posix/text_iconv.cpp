// CP932 <-> UTF-8 with glibc iconv ("CP932" is Windows-31J; "SHIFT_JIS" would be
// strict JIS X 0208 and reject characters such as ① or ～).
#include "platform/text.h"
#include "platform/utf8_scan.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <memory>
#include <optional>
#include <string_view>

namespace platform {

namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);
const std::size_t kIconvFailed = static_cast<std::size_t>(-1);
constexpr char kReplacementUtf8[] = "\xEF\xBF\xBD"; // U+FFFD

// Single bytes that are no CP932 character but that the Windows code page
// still converts, both ways: 0x80 as U+0080, 0xA0 as U+F8F0 and 0xFD..0xFF as
// U+F8F1..U+F8F3. Texts that differ only in such a byte stay different.
struct WindowsOnlyByte {
    char byte;
    std::string_view utf8;
};
constexpr WindowsOnlyByte kWindowsOnlyBytes[] = {{'\x80', "\xC2\x80"},
                                                 {'\xA0', "\xEF\xA3\xB0"},
                                                 {'\xFD', "\xEF\xA3\xB1"},
                                                 {'\xFE', "\xEF\xA3\xB2"},
                                                 {'\xFF', "\xEF\xA3\xB3"}};

// The UTF-8 form of a byte that iconv does not decode: its Windows mapping, or U+FFFD.
std::string_view DecodeStrayByte(char byte) {
    for (const auto& b : kWindowsOnlyBytes) {
        if (b.byte == byte)
            return b.utf8;
    }
    return kReplacementUtf8;
}

// The tag characters U+E0000..U+E007F, which iconv drops without a word
// where CP932 has no place for them.
bool IsTagCharacter(std::string_view utf8) {
    return utf8.size() == 4 && utf8[0] == '\xF3' && utf8[1] == '\xA0' &&
           (utf8[2] == '\x80' || utf8[2] == '\x81');
}

// The Windows byte of one UTF-8 character, when it is one of those mappings.
std::optional<char> EncodeWindowsOnlyCharacter(std::string_view utf8) {
    for (const auto& b : kWindowsOnlyBytes) {
        if (b.utf8 == utf8)
            return b.byte;
    }
    return std::nullopt;
}

// iconv descriptors carry conversion state, so one thread must not use another
// thread's descriptor: each thread opens its own on first use and closes them
// when it ends.
class Descriptors {
public:
    Descriptors() = default;
    ~Descriptors() {
        if (m_toUtf8 != kNoDescriptor)
            iconv_close(m_toUtf8);
        if (m_toCp932 != kNoDescriptor)
            iconv_close(m_toCp932);
    }
    Descriptors(const Descriptors&) = delete;
    Descriptors& operator=(const Descriptors&) = delete;

    iconv_t ToUtf8() { return Open(m_toUtf8, "UTF-8", "CP932"); }
    iconv_t ToCp932() { return Open(m_toCp932, "CP932", "UTF-8"); }

private:
    static iconv_t Open(iconv_t& slot, const char* to, const char* from) {
        if (slot == kNoDescriptor)
            slot = iconv_open(to, from);
        if (slot != kNoDescriptor)
            iconv(slot, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        return slot;
    }

    iconv_t m_toUtf8 = kNoDescriptor;
    iconv_t m_toCp932 = kNoDescriptor;
};

Descriptors& ThreadDescriptors() {
    thread_local Descriptors descriptors;
    return descriptors;
}

// Converts as much of [*in, *in + *inLeft) as iconv accepts, appending to out.
// Returns 0 when everything was converted, otherwise the errno that stopped it
// (*in then points at the offending input).
int ConvertSome(iconv_t cd, char** in, std::size_t* inLeft, std::string& out) {
    char buffer[4096];
    while (*inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(cd, in, inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result == kIconvFailed) {
            const int error = errno;
            if (error != E2BIG)
                return error;
        }
    }
    return 0;
}

} // namespace

std::string Cp932ToUtf8(std::string_view bytes) {
    std::string out;
    Cp932ToUtf8(bytes, out);
    return out;
}

namespace {

// The first bytes of CP932's two-byte characters.
bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// CP932 characters as iconv decodes them, each asked of iconv the first time
// it occurs: the encoding has no state, so a character decodes alone as it
// does within any text.
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
            const std::string_view utf8 = ch.length != kRefused
                                              ? std::string_view(ch.utf8, ch.length)
                                              : DecodeStrayByte(static_cast<char>(in[i]));
            to = std::copy(utf8.begin(), utf8.end(), to);
            i += pair && ch.length != kRefused ? 2 : 1;
        }
        out.resize(static_cast<std::size_t>(to - out.data()));
    }

private:
    static constexpr std::uint8_t kUnknown = 0;
    static constexpr std::uint8_t kRefused = 0xFF;
    struct Char {
        char utf8[7];
        std::uint8_t length = kUnknown;
    };

    // A byte from 0x80 on alone (trail -1), or a lead byte and its trail.
    const Char& Lookup(unsigned char first, int trail) {
        Char* ch = &m_single[first - 0x80u];
        if (trail >= 0) {
            auto& pairs = m_pairs[first - 0x80u];
            if (!pairs)
                pairs = std::make_unique<std::array<Char, 256>>();
            ch = &(*pairs)[static_cast<std::size_t>(trail)];
        }
        if (ch->length == kUnknown) {
            const char code[2] = {static_cast<char>(first), static_cast<char>(trail)};
            Ask(std::string_view(code, trail >= 0 ? 2 : 1), *ch);
        }
        return *ch;
    }

    static void Ask(std::string_view code, Char& ch) {
        ch.length = kRefused;
        const iconv_t cd = ThreadDescriptors().ToUtf8();
        if (cd == kNoDescriptor)
            return;
        char* in = const_cast<char*>(code.data()); // iconv does not write through it
        std::size_t inLeft = code.size();
        char* out = ch.utf8;
        std::size_t outLeft = sizeof ch.utf8;
        if (iconv(cd, &in, &inLeft, &out, &outLeft) != kIconvFailed && inLeft == 0)
            ch.length = static_cast<std::uint8_t>(out - ch.utf8);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }

    std::array<Char, 128> m_single{};
    std::array<std::unique_ptr<std::array<Char, 256>>, 128> m_pairs;
};

} // namespace

void Cp932ToUtf8(std::string_view bytes, std::string& out) {
    thread_local Cp932Decoder decoder;
    out.clear();
    decoder.Decode(bytes, out);
}

std::string Utf8ToCp932(std::string_view utf8, bool* exact) {
    std::string out;
    out.reserve(utf8.size());
    bool allExact = true;
    const iconv_t cd = ThreadDescriptors().ToCp932();
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        // The run of well-formed UTF-8 from pos.
        std::size_t end = pos;
        bool wellFormed = true;
        std::size_t length = 0;
        while (end < utf8.size()) {
            length = detail::ScanUtf8(utf8, end, &wellFormed);
            if (!wellFormed || IsTagCharacter(utf8.substr(end, length)))
                break;
            end += length;
        }
        char* in = const_cast<char*>(utf8.data() + pos);
        std::size_t inLeft = end - pos;
        while (inLeft > 0) {
            if (cd != kNoDescriptor && ConvertSome(cd, &in, &inLeft, out) == 0)
                break;
            // A character CP932 cannot hold (or no converter and not ASCII).
            const std::size_t at = static_cast<std::size_t>(in - utf8.data());
            bool ignored = false;
            const std::size_t charLength = detail::ScanUtf8(utf8, at, &ignored);
            if (const auto byte = EncodeWindowsOnlyCharacter(utf8.substr(at, charLength)))
                out += *byte;
            else if (cd == kNoDescriptor && charLength == 1)
                out += utf8[at];
            else {
                out += '?';
                allExact = false;
            }
            in += charLength;
            inLeft -= charLength;
            if (cd != kNoDescriptor)
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
        pos = end;
        if (pos < utf8.size()) {
            // Ill-formed UTF-8 (one '?' for each maximal subpart), or a tag
            // character.
            out += '?';
            allExact = false;
            pos += length;
        }
    }
    // iconv gives a few characters the code of a similar one (U+301C that of
    // U+FF5E, U+00A3 that of U+FFE1): text with one of them is not exact.
    if (exact)
        *exact = allExact && Cp932ToUtf8(out) == utf8;
    return out;
}

} // namespace platform
