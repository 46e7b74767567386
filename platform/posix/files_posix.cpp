// Whole files on POSIX: a write goes to a temporary file in the target's
// folder that is renamed over the target, so the target holds either its old
// bytes or all the new ones, also after a crash (the file and the folder are
// synced).
#include "platform/file_faults.h"
#include "platform/files.h"
#include "platform/files_system.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return m_fd; }
    void Reset(int fd) {
        Close();
        m_fd = fd;
    }
    bool Close() {
        if (m_fd < 0)
            return true;
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0;
    }

private:
    int m_fd;
};

// 0 or the errno value.
int WriteAll(int fd, std::string_view bytes) {
    if (const int fault = FileFault(FileCall::Write)) {
        (void)!::write(fd, bytes.data(), bytes.size() / 2);
        return fault;
    }
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (put == 0)
            return ENOSPC;
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return 0;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

void SyncFolder(const std::string& folder) {
    Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0)
        ::fsync(fd.Get()); // best effort: the rename itself has happened
}

// The file a write should replace: a symbolic link is followed through every
// link of a chain to its final target, which need not exist yet.
std::string WriteTarget(const std::string& path, int* error) {
    std::string target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return target;
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0 || static_cast<std::size_t>(n) >= link.size()) {
            *error = n < 0 ? errno : ENAMETOOLONG;
            return {};
        }
        link.resize(static_cast<std::size_t>(n));
        target = link.starts_with('/') ? link : FolderOf(target) + "/" + link;
    }
    *error = ELOOP;
    return {};
}

// Creates a file of a fresh name in the folder; the mode goes through the umask.
int CreateTemporary(const std::string& folder, mode_t mode, std::string& name) {
    if (const int fault = FileFault(FileCall::Open)) {
        errno = fault;
        return -1;
    }
    static std::atomic<unsigned> counter{0};
    const auto clock = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "/.voxlet-" + std::to_string(::getpid()) + "-" +
               std::to_string((clock + counter++) % 1000000007ull);
        const int fd =
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (fd >= 0 || errno != EEXIST) {
            if (fd < 0)
                name.clear();
            return fd;
        }
    }
    name.clear();
    errno = EEXIST;
    return -1;
}

// 0 when the call succeeds, else its errno value (or the planned fault's).
template <typename Call> int Checked(FileCall kind, Call call) {
    if (const int fault = FileFault(kind))
        return fault;
    return call() == 0 ? 0 : errno;
}

} // namespace

WholeRead ReadWholeFile(const std::string& path, std::string& data, int* error) {
    data.clear();
    auto failed = [error](int code) {
        if (error)
            *error = code;
        return WholeRead::Failed;
    };
    if (path.empty())
        return failed(ENOENT);
    // O_NONBLOCK so that a FIFO in the way cannot block the open.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.Get() < 0)
        return (errno == ENOENT) ? WholeRead::Missing : failed(errno);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        return failed(errno);
    if (!S_ISREG(st.st_mode))
        return failed(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    if (st.st_size > 0)
        data.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return failed(errno);
        }
        data.append(buffer, static_cast<std::size_t>(got));
    }
    return WholeRead::Ok;
}

namespace detail {

bool NoSpace(int error) {
    return error == ENOSPC || error == EDQUOT;
}

struct SystemFile::Impl {
    Fd fd;
    std::string target;
    std::string temporary;  // "" when the target is written directly
    bool direct = false;    // the target itself is written
    bool replacing = false; // an existing file is replaced; `old` is its status
    struct stat old {};

    // Gives the file the replaced file's owner (first: it may clear set-id
    // bits) and permission bits, best effort.
    void KeepOwnerAndMode(int file) const {
        if (!replacing)
            return;
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)::fchown(file, old.st_uid, old.st_gid);
        (void)::fchmod(file, old.st_mode & 07777);
    }
    // Syncs and closes the file; its failure counts unless error is set.
    int SyncAndClose(int error) {
        if (error == 0)
            error = Checked(FileCall::Sync, [&] { return ::fsync(fd.Get()); });
        const int closeError = fd.Close() ? 0 : errno;
        const int fault = error == 0 ? FileFault(FileCall::Close) : 0;
        return error ? error : fault ? fault : closeError;
    }
    int PutInPlace(bool replace) {
        if (replace)
            return Checked(FileCall::Rename,
                           [&] { return ::rename(temporary.c_str(), target.c_str()); });
        const int error = Checked(FileCall::Rename, [&] {
            return ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(),
                               RENAME_NOREPLACE);
        });
        if (error != EINVAL && error != ENOSYS && error != ENOTSUP)
            return error;
        // A file system without the flag: a link fails where a file is, and
        // the temporary name goes once the file has its own.
        if (::link(temporary.c_str(), target.c_str()) != 0)
            return errno;
        ::unlink(temporary.c_str());
        return 0;
    }
};

SystemFile::SystemFile() : m_impl(std::make_unique<Impl>()) {}

SystemFile::~SystemFile() {
    Discard();
}

void SystemFile::Discard() {
    m_impl->fd.Close();
    if (!m_impl->temporary.empty())
        ::unlink(m_impl->temporary.c_str());
    m_impl->temporary.clear();
}

bool SystemFile::Direct() const {
    return m_impl->direct;
}

const std::string& SystemFile::Target() const {
    return m_impl->target;
}

int SystemFile::Open(const std::string& path, bool append, bool* replacing) {
    Impl& f = *m_impl;
    int error = 0;
    f.target = WriteTarget(path, &error);
    if (error)
        return error;
    struct stat st {};
    if (::stat(f.target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return EISDIR;
        if (!S_ISREG(st.st_mode)) {
            if (const int fault = FileFault(FileCall::Open))
                return fault;
            f.fd.Reset(::open(f.target.c_str(),
                              O_WRONLY | O_CLOEXEC | O_NOCTTY | (append ? O_APPEND : O_TRUNC)));
            f.direct = f.fd.Get() >= 0;
            return f.direct ? 0 : errno;
        }
        // As opening it would: a file that is not writable is not replaced
        // (a rename would replace it regardless of its own permissions).
        if (::faccessat(AT_FDCWD, f.target.c_str(), W_OK, AT_EACCESS) != 0)
            return errno;
        f.replacing = true;
        f.old = st;
    } else if (errno != ENOENT) {
        return errno;
    }
    *replacing = f.replacing;
    // A replacement is private until it gets the old file's permission bits.
    f.fd.Reset(CreateTemporary(FolderOf(f.target), f.replacing ? 0600 : 0666, f.temporary));
    return f.fd.Get() < 0 ? errno : 0;
}

int SystemFile::Write(std::string_view bytes) {
    return WriteAll(m_impl->fd.Get(), bytes);
}

int SystemFile::Commit(int error, bool replace, bool* refused) {
    Impl& f = *m_impl;
    if (error == 0 && !f.direct)
        f.KeepOwnerAndMode(f.fd.Get());
    if (f.direct) {
        // Its failure counts unless an earlier one does.
        const int closeError = f.fd.Close() ? 0 : errno;
        const int fault = error == 0 ? FileFault(FileCall::Close) : 0;
        return error ? error : fault ? fault : closeError;
    }
    error = f.SyncAndClose(error);
    if (error == 0) {
        error = f.PutInPlace(replace);
        *refused = replace && (error == EBUSY || error == EXDEV);
    }
    if (error != 0) {
        Discard();
        return error;
    }
    f.temporary.clear();
    SyncFolder(FolderOf(f.target));
    return 0;
}

int SystemFile::Overwrite(std::string_view bytes, bool* opened) {
    Impl& f = *m_impl;
    if (const int fault = FileFault(FileCall::Open))
        return fault;
    f.fd.Reset(::open(f.target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY,
                      f.replacing ? f.old.st_mode & 0777 : 0666));
    if (f.fd.Get() < 0)
        return errno;
    *opened = true;
    f.KeepOwnerAndMode(f.fd.Get());
    int error = WriteAll(f.fd.Get(), bytes);
    if (error == 0 && ::ftruncate(f.fd.Get(), static_cast<off_t>(bytes.size())) != 0)
        error = errno;
    return f.SyncAndClose(error);
}

void SystemFile::RemoveTarget() {
    ::unlink(m_impl->target.c_str());
}

} // namespace detail

} // namespace platform
