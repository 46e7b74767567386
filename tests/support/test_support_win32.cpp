#include "support/system_support.h"
#include "support/test_support.h"

#include <filesystem>
#include <stdexcept>
#include <windows.h>

namespace testsupport {

SmallTmpfs::SmallTmpfs(unsigned /*size*/) : m_skip("Windows has no tmpfs to mount") {}

SmallTmpfs::~SmallTmpfs() = default;

bool SmallTmpfs::SetReadOnly(bool /*readOnly*/) {
    return false;
}

bool WindowsBuild() {
    return true;
}

bool MakeFifo(const std::string& /*path*/) {
    return false;
}

bool MakeReadOnly(const std::string& path) {
    return SetFileAttributesW(std::filesystem::path(path).c_str(), FILE_ATTRIBUTE_READONLY) != 0;
}

FileSizeLimit::FileSizeLimit(unsigned long /*bytes*/) : m_skip("Windows has no file size limit") {}

FileSizeLimit::~FileSizeLimit() = default;

std::string SystemCp932(std::string_view utf8) {
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), size)));
    std::string out(wide.size() * 2, '\0');
    BOOL usedDefault = FALSE;
    out.resize(static_cast<std::size_t>(
        WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                            out.data(), static_cast<int>(out.size()), nullptr, &usedDefault)));
    if (usedDefault)
        throw std::runtime_error("text cannot be written as CP932");
    return out;
}

} // namespace testsupport
