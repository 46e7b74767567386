// The per-user settings folder and the folder checks on Windows.
#include "platform/paths.h"
#include "platform/paths_system.h"
#include "platform/win32/wide.h"

#include <atomic>
#include <windows.h>

namespace platform {

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

} // namespace platform
