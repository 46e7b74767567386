// The per-user settings folder and the folder checks on Windows.
#include "platform/paths.h"
#include "platform/paths_system.h"
#include "platform/win32/wide.h"

#include <atomic>
#include <windows.h>

namespace platform {

namespace {

// What a call that fills a buffer of the size it asks for gives; "" when it fails.
template <typename Fill> std::wstring Filled(const Fill& fill) {
    std::wstring text(fill(nullptr, 0), L'\0');
    const DWORD n = text.empty() ? 0 : fill(text.data(), static_cast<DWORD>(text.size()));
    text.resize(n < text.size() ? n : 0);
    return text;
}

// The existing path in full with its long names and no trailing separator;
// "" when it does not exist.
std::wstring FullLongPath(const std::string& path) {
    const std::wstring wide = win32::Widen(path);
    const std::wstring full = Filled([&](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(wide.c_str(), size, buffer, nullptr);
    });
    std::wstring name = Filled([&](wchar_t* buffer, DWORD size) {
        return full.empty() ? 0 : GetLongPathNameW(full.c_str(), buffer, size);
    });
    while (!name.empty() && (name.back() == L'\\' || name.back() == L'/'))
        name.pop_back();
    return name;
}

} // namespace

std::string UserSettingsFolder(const std::function<const char*(const char*)>& lookup) {
    const char* appData = lookup("APPDATA");
    if (!appData || !appData[0])
        return {};
    return detail::FolderBelow(appData, "Voxlet");
}

bool FolderIsWritable(const std::string& folder) {
    // Asked of the file system itself: access rights, a read-only medium and
    // the folder's own attributes all decide.
    static std::atomic<unsigned> counter{0};
    std::string probe = folder;
    if (!probe.empty() && !IsPathSeparator(probe.back()))
        probe += kPathSeparator;
    probe +=
        ".voxlet-probe-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
    const HANDLE file =
        CreateFileW(win32::Widen(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

bool SetCurrentFolder(const std::string& folder) {
    return SetCurrentDirectoryW(win32::Widen(folder).c_str()) != 0;
}

bool IsSameFolder(const std::string& a, const std::string& b) {
    const std::wstring first = FullLongPath(a), second = FullLongPath(b);
    return !first.empty() && CompareStringOrdinal(first.c_str(), int(first.size()), second.c_str(),
                                                  int(second.size()), TRUE) == CSTR_EQUAL;
}

} // namespace platform
