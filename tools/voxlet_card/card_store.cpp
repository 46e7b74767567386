#include "card_store.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

namespace card {

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// Splits at either separator, dropping empty and "." components; false when a
// component is ".." or holds a byte no file name may hold.
bool SplitFolder(std::string_view path, std::vector<std::string>& parts) {
    parts.clear();
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = start;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
        const std::string_view part = path.substr(start, end - start);
        if (part == "..")
            return false;
        if (part.find('\0') != std::string_view::npos)
            return false;
        if (!part.empty() && part != ".")
            parts.emplace_back(part);
        start = end + 1;
    }
    return true;
}

std::string RealPath(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real)
        return {};
    std::string result = real;
    std::free(real);
    return result;
}

} // namespace

CardStore::CardStore(std::string root) : m_root(std::move(root)) {
    while (m_root.size() > 1 && m_root.back() == '/')
        m_root.pop_back();
    m_realRoot = RealPath(m_root);
}

std::string CardStore::UploadFolder() const {
    std::string folder;
    for (const auto& part : m_folder)
        folder += "/" + part;
    return folder.empty() ? "/" : folder;
}

std::string CardStore::DiskFolder() const {
    std::string folder = m_root;
    for (const auto& part : m_folder)
        folder += "/" + part;
    return folder;
}

bool CardStore::InsideRoot(const std::string& diskPath) const {
    const std::string real = RealPath(diskPath);
    if (real.empty() || m_realRoot.empty())
        return false;
    if (real == m_realRoot)
        return true;
    const std::string prefix = m_realRoot == "/" ? "/" : m_realRoot + "/";
    return real.compare(0, prefix.size(), prefix) == 0;
}

bool CardStore::SetUploadFolder(std::string_view updir, std::string& error) {
    std::vector<std::string> parts;
    if (!SplitFolder(updir, parts)) {
        error = "folder outside the card";
        return false;
    }
    const std::vector<std::string> previous = m_folder;
    m_folder = parts;
    const std::string disk = DiskFolder();
    struct stat st;
    if (stat(disk.c_str(), &st) != 0 && !parts.empty()) {
        // Created only when its parent exists (and lies on the card).
        const std::string parent = disk.substr(0, disk.rfind('/'));
        if (stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && InsideRoot(parent))
            (void)mkdir(disk.c_str(), 0777);
    }
    if (stat(disk.c_str(), &st) == 0 && !InsideRoot(disk)) {
        m_folder = previous;
        error = "folder outside the card";
        return false;
    }
    // A folder that could not be made is still answered SUCCESS, as the card
    // does; the upload into it fails later.
    return true;
}

bool CardStore::Store(std::string_view filename, std::string_view data, std::string& cardPath,
                      std::string& diskPath, std::string& error) {
    std::vector<std::string> parts;
    if (!SplitFolder(filename, parts)) {
        error = "file name outside the card";
        return false;
    }
    std::size_t cut = filename.size();
    while (cut > 0 && !IsSeparator(filename[cut - 1]))
        --cut;
    const std::string name(filename.substr(cut));
    if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string::npos) {
        error = "no file name";
        return false;
    }

    const std::string folder = DiskFolder();
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = "no upload folder " + UploadFolder();
        return false;
    }
    if (!InsideRoot(folder)) {
        error = "folder outside the card";
        return false;
    }

    diskPath = folder + "/" + name;
    // Written whole or not at all under its name: a temporary file (created
    // anew, so never through a link) renamed over it. A symbolic link, or
    // anything else that is not a regular file, in the name's place is refused,
    // as opening it without following links would.
    struct stat existing;
    if (lstat(diskPath.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        const int code = S_ISLNK(existing.st_mode)   ? ELOOP
                         : S_ISDIR(existing.st_mode) ? EISDIR
                                                     : EINVAL;
        error = std::string("cannot write: ") + std::strerror(code);
        return false;
    }
    platform::WholeFileWriter writer;
    int code = writer.Open(diskPath, false);
    if (code != 0) {
        error = std::string("cannot write: ") + std::strerror(code);
        return false;
    }
    writer.Write(data);
    code = writer.Commit();
    if (code != 0) {
        error = std::string("write failed: ") + std::strerror(code);
        return false;
    }
    cardPath.clear();
    for (const auto& part : m_folder)
        cardPath += part + "/";
    cardPath += name;
    return true;
}

} // namespace card
