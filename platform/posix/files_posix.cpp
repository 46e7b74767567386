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
#include <cstdlib>
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

// The file a write should replace: a symbolic link is followed to its target.
std::string WriteTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            std::string target(resolved);
            std::free(resolved);
            return target;
        }
    }
    return path;
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

struct SystemFile::Impl {
    Fd fd;
    std::string target;
    std::string temporary;  // "" when the target is written directly
    bool replacing = false; // an existing file is replaced; `old` is its status
    struct stat old {};
};

SystemFile::SystemFile() : m_impl(std::make_unique<Impl>()) {}

SystemFile::~SystemFile() {
    m_impl->fd.Close();
    if (!m_impl->temporary.empty())
        ::unlink(m_impl->temporary.c_str());
}

bool SystemFile::IsOpen() const {
    return m_impl->fd.Get() >= 0;
}

const std::string& SystemFile::Target() const {
    return m_impl->target;
}

int SystemFile::Open(const std::string& path, bool append, bool* replacing) {
    Impl& f = *m_impl;
    f.target = WriteTarget(path);
    struct stat st {};
    if (::stat(f.target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return EISDIR;
        if (!S_ISREG(st.st_mode)) {
            if (const int fault = FileFault(FileCall::Open))
                return fault;
            f.fd.Reset(::open(f.target.c_str(),
                              O_WRONLY | O_CLOEXEC | O_NOCTTY | (append ? O_APPEND : O_TRUNC)));
            return f.fd.Get() < 0 ? errno : 0;
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
    // A replacement is private until it gets the old file's permission bits.
    f.fd.Reset(CreateTemporary(FolderOf(f.target), f.replacing ? 0600 : 0666, f.temporary));
    if (f.fd.Get() < 0)
        return errno;
    *replacing = f.replacing;
    return 0;
}

int SystemFile::Write(std::string_view bytes) {
    return WriteAll(m_impl->fd.Get(), bytes);
}

int SystemFile::Commit(int error) {
    Impl& f = *m_impl;
    auto fail = [&error](int code) {
        if (error == 0)
            error = code;
    };
    // Its failure counts unless an earlier one does.
    auto close = [&] {
        const int closeError = f.fd.Close() ? 0 : errno;
        const int fault = error == 0 ? FileFault(FileCall::Close) : 0;
        fail(fault ? fault : closeError);
    };
    if (f.temporary.empty()) {
        close();
        return error;
    }
    if (error == 0 && f.replacing) {
        // Owner first (it may clear set-id bits), then the permission bits.
        if (f.old.st_uid != ::geteuid() || f.old.st_gid != ::getegid())
            (void)::fchown(f.fd.Get(), f.old.st_uid, f.old.st_gid);
        (void)::fchmod(f.fd.Get(), f.old.st_mode & 07777);
    }
    if (error == 0)
        fail(Checked(FileCall::Sync, [&] { return ::fsync(f.fd.Get()); }));
    close();
    if (error == 0)
        fail(Checked(FileCall::Rename,
                     [&] { return ::rename(f.temporary.c_str(), f.target.c_str()); }));
    if (error != 0) {
        ::unlink(f.temporary.c_str());
        f.temporary.clear();
        return error;
    }
    f.temporary.clear();
    SyncFolder(FolderOf(f.target));
    return 0;
}

} // namespace detail

} // namespace platform
