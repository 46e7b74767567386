// The portable path helpers: separators of either kind in, native ones out.
#include "platform/ascii_case.h"
#include "platform/paths.h"
#include "platform/paths_system.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace platform {

std::string MakeFolder(const std::string& path) {
    // Paths are UTF-8 whatever the system's narrow encoding.
    const std::filesystem::path folder(std::u8string(path.begin(), path.end()));
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error && !std::filesystem::is_directory(folder, error) && !error)
        error = std::make_error_code(std::errc::not_a_directory);
    return error ? error.message() : std::string();
}

std::FILE* OpenDataFile(std::string_view path) {
    const std::string resolved = ResolvePath(path);
    if (resolved.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    std::FILE* file = OpenFile(resolved, "rb");
    if (!file)
        return nullptr;
    struct stat st {};
    const bool known = fstat(fileno(file), &st) == 0;
    if (!known || !S_ISREG(st.st_mode)) {
        const int error = !known ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        std::fclose(file);
        errno = error;
        return nullptr;
    }
    return file;
}

std::vector<std::string> ListFilesWithExtension(std::string_view folder, std::string_view ext) {
    // "wav", ".wav" and "*.wav" all mean the extension wav.
    if (ext.starts_with("*"))
        ext.remove_prefix(1);
    if (ext.starts_with("."))
        ext.remove_prefix(1);
    const std::string folderPath = folder.empty() ? std::string(".") : ResolvePath(folder);
    std::vector<std::string> names =
        detail::RegularFilesIn(folderPath, [ext](std::string_view name) {
            const std::size_t dot = name.rfind('.');
            return detail::EqualsIgnoringAsciiCase(
                dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1), ext);
        });
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return detail::LessIgnoringAsciiCase(a, b);
    });
    return names;
}

namespace detail {

std::string FolderBelow(std::string base, std::string_view rest) {
    while (!base.empty() && IsPathSeparator(base.back()))
        base.pop_back(); // a root ("/", "D:\\") too: the join puts its separator back
    return JoinPath({base, rest, ""});
}

} // namespace detail

std::string ExecutableFolder() {
    const std::string exe = ExecutablePath();
    for (std::size_t i = exe.size(); i > 0; --i) {
        if (IsPathSeparator(exe[i - 1]))
            return exe.substr(0, i);
    }
    return std::string(".") + kPathSeparator;
}

std::optional<std::string> ResolveDriveLetter(std::string_view path, const std::string& iniPath) {
    if (!HasDriveLetter(path))
        return std::string(path);
    auto root = DriveRoot(path[0], iniPath);
    if (!root)
        return std::nullopt;
    if (path.size() > 3)
        *root += ToNativePath(path.substr(3));
    return root;
}

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
