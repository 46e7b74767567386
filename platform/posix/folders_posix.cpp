// The per-user settings folder and the folder checks on POSIX.
#include "platform/paths.h"
#include "platform/paths_system.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::string UserSettingsFolder(const std::function<const char*(const char*)>& lookup) {
    // The XDG base directories: a relative XDG_CONFIG_HOME is to be ignored.
    const char* config = lookup("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return detail::FolderBelow(config, "voxlet");
    const char* home = lookup("HOME");
    if (!home || home[0] != '/') {
        const passwd* account = getpwuid(getuid());
        home = account && account->pw_dir && account->pw_dir[0] == '/' ? account->pw_dir : nullptr;
    }
    return home ? detail::FolderBelow(home, ".config/voxlet") : std::string();
}

bool FolderIsWritable(const std::string& folder) {
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

bool SetCurrentFolder(const std::string& folder) {
    return chdir(folder.c_str()) == 0;
}

bool IsSameFolder(const std::string& a, const std::string& b) {
    struct stat first, second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace platform
