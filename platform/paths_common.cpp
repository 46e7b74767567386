// The portable path helpers: separators of either kind in, native ones out.
#include "platform/paths.h"

#include <cerrno>

namespace platform {

bool ReadDataFile(std::string_view path, std::string& bytes) {
    bytes.clear();
    std::FILE* file = OpenDataFile(path);
    if (!file)
        return false;
    char chunk[65536];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.append(chunk, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        errno = EIO;
    return !failed;
}

bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

bool HasDriveLetter(std::string_view path) {
    const bool letter = path.size() >= 2 &&
                        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return letter && path[1] == ':' && (path.size() == 2 || IsPathSeparator(path[2]));
}

std::string ToNativePath(std::string_view path) {
    std::string native(path);
    for (char& c : native) {
        if (IsPathSeparator(c))
            c = kPathSeparator;
    }
    return native;
}

std::string JoinPath(std::initializer_list<std::string_view> parts) {
    std::string joined;
    bool first = true;
    for (std::string_view part : parts) {
        if (!first)
            joined += kPathSeparator;
        first = false;
        joined += ToNativePath(part);
    }
    return joined;
}

std::string CutAtLastSeparator(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1]))
            return std::string(path.substr(0, i - 1));
    }
    return {};
}

std::string_view BaseName(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1]))
            return path.substr(i);
    }
    return path;
}

} // namespace platform
