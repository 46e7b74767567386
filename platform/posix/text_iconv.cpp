// CP932 <-> UTF-8 with glibc iconv ("CP932" is Windows-31J; "SHIFT_JIS" would be
// strict JIS X 0208 and reject characters such as ① or ～).
#include "platform/text.h"
#include "platform/utf8_scan.h"

#include <cerrno>
#include <iconv.h>
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
    out.reserve(bytes.size() + bytes.size() / 2);
    const iconv_t cd = ThreadDescriptors().ToUtf8();
    if (cd == kNoDescriptor) {
        // No converter on this system: ASCII and the Windows-only bytes pass,
        // everything else is unknown.
        for (char c : bytes) {
            if (static_cast<unsigned char>(c) < 0x80)
                out += c;
            else
                out += DecodeStrayByte(c);
        }
        return out;
    }
    char* in = const_cast<char*>(bytes.data()); // iconv does not write through it
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        if (ConvertSome(cd, &in, &inLeft, out) == 0)
            break;
        // EILSEQ (a stray trail byte, an invalid trail after a lead byte, an
        // unassigned code) or EINVAL (a lead byte at the end): the byte at the
        // stop becomes its Windows mapping or U+FFFD, and decoding goes on with
        // the next byte.
        out += DecodeStrayByte(*in);
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
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
            if (!wellFormed)
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
            // Ill-formed UTF-8: one '?' for each maximal subpart.
            out += '?';
            allExact = false;
            pos += length;
        }
    }
    if (exact)
        *exact = allExact;
    return out;
}

} // namespace platform
