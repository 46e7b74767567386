// The CP932 code page through the Windows conversion functions: invalid
// sequences are refused (MB_ERR_INVALID_CHARS) and characters without an exact
// CP932 form are refused rather than replaced by a best-fit look-alike
// (WC_NO_BEST_FIT_CHARS).
#include "platform/cp932_system.h"
#include "platform/win32/wide.h"

#include <windows.h>

namespace platform::detail {

namespace {
constexpr UINT kCp932 = 932;
} // namespace

int SystemDecodeCp932(std::string_view code, char (&utf8)[7]) {
    wchar_t wide[2];
    const int n = MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, code.data(),
                                      static_cast<int>(code.size()), wide, 2);
    if (n <= 0)
        return 0;
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide, n, utf8, sizeof utf8, nullptr, nullptr);
    return length > 0 ? length : 0;
}

int SystemEncodeCp932(std::string_view utf8, char (&bytes)[2]) {
    const std::wstring wide = win32::Widen(utf8);
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(),
                                      static_cast<int>(wide.size()), bytes, sizeof bytes, nullptr,
                                      &usedDefault);
    return n > 0 && !usedDefault ? n : 0;
}

} // namespace platform::detail
