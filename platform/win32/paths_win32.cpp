// Paths on Windows: '\' is native and '/' in data stands for it; the file
// system itself ignores letter case, so a data path is used as spelled; drive
// letters are real drives.
#include "platform/paths.h"
#include "platform/paths_system.h"
#include "platform/win32/wide.h"

#include <cerrno>
#include <windows.h>

namespace platform {

extern const char kPathSeparator = '\\';

namespace {

bool IsAbsolute(std::string_view path) {
    return (HasDriveLetter(path) && path.size() > 2) ||
           (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]));
}

DWORD AttributesOf(const std::string& path) {
    return GetFileAttributesW(win32::Widen(path).c_str());
}

} // namespace

namespace detail {

std::vector<std::string> RegularFilesIn(const std::string& folder,
                                        const std::function<bool(std::string_view)>& wanted) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    // FindExInfoBasic: no 8.3 short names; the long name alone is matched.
    const HANDLE find =
        FindFirstFileExW(win32::Widen(JoinPath({folder, "*"})).c_str(), FindExInfoBasic, &found,
                         FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
            continue;
        std::string name = win32::Narrow(found.cFileName);
        if (wanted(name))
            names.push_back(std::move(name));
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

} // namespace detail

std::string ResolvePath(std::string_view path) {
    return ToNativePath(path);
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || IsAbsolute(path))
        return path;
    const std::wstring wide = win32::Widen(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD n = size ? GetFullPathNameW(wide.c_str(), size, full.data(), nullptr) : 0;
    if (n == 0 || n >= size)
        return path;
    full.resize(n);
    return win32::Narrow(full);
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    std::FILE* file = _wfopen(win32::Widen(path).c_str(), win32::Widen(mode).c_str());
    if (!file) {
        const DWORD attributes = AttributesOf(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            errno = EISDIR; // as a POSIX open of a folder says, not "permission denied"
    }
    return file;
}

bool PathExists(std::string_view path) {
    const std::string resolved = ResolvePath(path);
    return !resolved.empty() && AttributesOf(resolved) != INVALID_FILE_ATTRIBUTES;
}

std::string ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return win32::Narrow(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<std::string> DriveRoot(char letter, const std::string& /*iniPath*/) {
    if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')))
        return std::nullopt;
    return std::string{letter, ':', kPathSeparator};
}

std::string MountRootOf(std::string_view path) {
    const std::string absolute = AbsolutePath(ResolvePath(path.empty() ? "." : path));
    wchar_t root[MAX_PATH + 1];
    if (GetVolumePathNameW(win32::Widen(absolute).c_str(), root, MAX_PATH + 1)) {
        std::string result = win32::Narrow(root);
        if (result.empty() || result.back() != kPathSeparator)
            result += kPathSeparator;
        return result;
    }
    if (HasDriveLetter(absolute))
        return absolute.substr(0, 2) + kPathSeparator;
    return std::string(1, kPathSeparator);
}

} // namespace platform
