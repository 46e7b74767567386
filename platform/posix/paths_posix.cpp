// Paths on POSIX: '/' is native, data paths that do not exist as spelled are
// looked up per component without regard to ASCII letter case, drive letters
// come from the [DRIVES] section of the settings file.
#include "platform/ascii_case.h"
#include "platform/paths.h"
#include "platform/paths_system.h"
#include "platform/profile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

extern const char kPathSeparator = '/';

namespace {

// Longest value read from the [DRIVES] section.
constexpr std::size_t kDriveValueBuffer = 4096;

bool NameExists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The entry of the folder that equals name without regard to case; the first
// in byte order when several do.
std::optional<std::string> FindIgnoringCase(const std::string& folder, std::string_view name) {
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view entryName = entry->d_name;
        if (entryName == "." || entryName == "..")
            continue;
        if (detail::EqualsIgnoringAsciiCase(entryName, name) && (!best || entryName < *best))
            best = std::string(entryName);
    }
    closedir(dir);
    return best;
}

// The folder that holds path: "/" for a name in the root, "." for a bare name.
// A new string each time, never a copy into the string it is taken from.
std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string(".");
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

namespace detail {

std::vector<std::string> RegularFilesIn(const std::string& folder,
                                        const std::function<bool(std::string_view)>& wanted) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return names;
    const int fd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        if (!wanted(entry->d_name))
            continue;
        struct stat st;
        if (fstatat(fd, entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue; // follows symbolic links; folders, devices and dangling links are left out
        names.emplace_back(entry->d_name);
    }
    closedir(dir);
    return names;
}

} // namespace detail

std::string ResolvePath(std::string_view path) {
    const std::string native = ToNativePath(path);
    if (native.empty() || NameExists(native))
        return native;

    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = native.find('/', start);
        parts.push_back(native.substr(start, slash - start));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }

    // resolved holds parts[0..i) as found on disk; an absolute path starts
    // with an empty part, so "" + "/" is the root.
    std::string resolved;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string prefix = i == 0 ? std::string() : resolved + '/';
        const std::string& part = parts[i];
        std::string candidate = prefix + part;
        if (!part.empty() && part != "." && part != ".." && !NameExists(candidate)) {
            const auto match = FindIgnoringCase(i == 0 ? std::string(".") : prefix, part);
            if (!match) {
                // Nothing matches: the found parents and the rest as given, so
                // that a new file gets the spelling the caller asked for.
                for (std::size_t j = i + 1; j < parts.size(); ++j)
                    candidate += '/' + parts[j];
                return candidate;
            }
            candidate = prefix + *match;
        }
        resolved = std::move(candidate);
    }
    return resolved;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/')
        return path;
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer))
        return path;
    return std::string(buffer) + '/' + path;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

bool PathExists(std::string_view path) {
    const std::string resolved = ResolvePath(path);
    struct stat st;
    return !resolved.empty() && stat(resolved.c_str(), &st) == 0;
}

std::optional<std::string> DriveRoot(char letter, const std::string& iniPath) {
    if (!IsAsciiLetter(letter))
        return std::nullopt;
    // Key names match without regard to case, so "e=" serves 'E' too.
    std::string folder =
        ProfileReadString("DRIVES", std::string(1, letter), "", kDriveValueBuffer, iniPath);
    if (folder.empty())
        return std::nullopt;
    folder = ToNativePath(folder);
    if (folder.back() != kPathSeparator)
        folder += kPathSeparator;
    return folder;
}

std::string MountRootOf(std::string_view path) {
    // The nearest existing ancestor of the (case-resolved) path.
    std::string resolved = ResolvePath(path);
    std::string existing = resolved.empty() ? std::string(".") : std::move(resolved);
    struct stat st;
    while (stat(existing.c_str(), &st) != 0) {
        if (existing == "." || existing == "/")
            return "/";
        existing = ParentOf(existing);
    }

    char* real = realpath(existing.c_str(), nullptr);
    if (!real)
        return "/";
    std::string current = real;
    std::free(real);
    if (stat(current.c_str(), &st) != 0)
        return "/";
    if (!S_ISDIR(st.st_mode) && current != "/") {
        // A file: its folder holds it (a file that is itself a mount point is not a root).
        current = ParentOf(current);
        if (stat(current.c_str(), &st) != 0)
            return "/";
    }
    const dev_t device = st.st_dev;
    // Walk up while the parent lies on the same device.
    while (current != "/") {
        const std::string parent = ParentOf(current);
        struct stat parentStat;
        if (stat(parent.c_str(), &parentStat) != 0 || parentStat.st_dev != device)
            break;
        current = parent;
    }
    if (current != "/")
        current += '/';
    return current;
}

} // namespace platform
