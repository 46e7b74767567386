// The CP932 code page through glibc iconv ("CP932" is Windows-31J;
// "SHIFT_JIS" would be strict JIS X 0208 and reject characters such as ① or ～).
#include "platform/cp932_system.h"

#include <iconv.h>

namespace platform::detail {

namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);
const std::size_t kIconvFailed = static_cast<std::size_t>(-1);

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

// Converts all of `in` into out, or nothing: the length written, 0 on failure.
template <std::size_t N> int ConvertWhole(iconv_t cd, std::string_view in, char (&out)[N]) {
    if (cd == kNoDescriptor)
        return 0;
    char* from = const_cast<char*>(in.data()); // iconv does not write through it
    std::size_t fromLeft = in.size();
    char* to = out;
    std::size_t toLeft = N;
    const bool done = iconv(cd, &from, &fromLeft, &to, &toLeft) != kIconvFailed && fromLeft == 0;
    return done ? static_cast<int>(to - out) : 0;
}

} // namespace

int SystemDecodeCp932(std::string_view code, char (&utf8)[7]) {
    return ConvertWhole(ThreadDescriptors().ToUtf8(), code, utf8);
}

int SystemEncodeCp932(std::string_view utf8, char (&bytes)[2]) {
    return ConvertWhole(ThreadDescriptors().ToCp932(), utf8, bytes);
}

} // namespace platform::detail
