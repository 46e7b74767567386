// Whole files on POSIX: a write goes to a temporary file in the target's
// folder that is renamed over the target, so the target holds either its old
// bytes or all the new ones, also after a crash (the file and the folder are
// synced).
#include "platform/file_faults.h"
#include "platform/files.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::atomic<FileFaultPlan*> g_faultPlan{nullptr};

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

// Writes are gathered up to this size, as a C stream's buffer would.
constexpr std::size_t kBufferSize = 64 * 1024;

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

// 0, or the errno value of a call that failed or that the fault plan fails.
template <typename Call> int Checked(FileCall kind, Call call) {
    if (const int fault = FileFault(kind))
        return fault;
    return call() == 0 ? 0 : errno;
}

} // namespace

void SetFileFaultPlan(FileFaultPlan* plan) {
    g_faultPlan.store(plan, std::memory_order_release);
}

int FileFault(FileCall call) {
    FileFaultPlan* plan = g_faultPlan.load(std::memory_order_acquire);
    if (!plan || ++plan->calls[static_cast<std::size_t>(call)] != plan->nth || call != plan->call)
        return 0;
    plan->hit = true;
    return plan->error;
}

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

struct WholeFileWriter::State {
    Fd fd;
    std::string target;
    std::string temporary;  // "" when the target is written directly
    bool replacing = false; // an existing file is replaced; `old` is its status
    struct stat old {};
    std::string pending; // bytes not yet written to fd
    int error = 0;
    bool committed = false;

    int Fail(int code) {
        if (error == 0)
            error = code;
        return error;
    }
    // Closes the file; its failure counts unless an earlier one does.
    void CloseFile() {
        const int closeError = fd.Close() ? 0 : errno;
        const int fault = error == 0 ? FileFault(FileCall::Close) : 0;
        Fail(fault ? fault : closeError);
    }
};

WholeFileWriter::WholeFileWriter() : m_state(std::make_unique<State>()) {}

WholeFileWriter::~WholeFileWriter() {
    m_state->fd.Close();
    if (!m_state->committed && !m_state->temporary.empty())
        ::unlink(m_state->temporary.c_str());
}

int WholeFileWriter::Open(const std::string& path, bool keepOldBytes) {
    State& s = *m_state;
    if (s.error != 0 || s.fd.Get() >= 0 || s.committed)
        return s.Fail(EBUSY); // one file per writer
    if (path.empty())
        return s.Fail(ENOENT);
    s.target = WriteTarget(path);
    struct stat st {};
    if (::stat(s.target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return s.Fail(EISDIR);
        if (!S_ISREG(st.st_mode)) {
            if (const int fault = FileFault(FileCall::Open))
                return s.Fail(fault);
            s.fd.Reset(::open(s.target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY |
                                                    (keepOldBytes ? O_APPEND : O_TRUNC)));
            return s.fd.Get() < 0 ? s.Fail(errno) : 0;
        }
        // As opening it would: a file that is not writable is not replaced
        // (a rename would replace it regardless of its own permissions).
        if (::faccessat(AT_FDCWD, s.target.c_str(), W_OK, AT_EACCESS) != 0)
            return s.Fail(errno);
        s.replacing = true;
        s.old = st;
    } else if (errno != ENOENT) {
        return s.Fail(errno);
    }
    // A replacement is private until it gets the old file's permission bits.
    s.fd.Reset(CreateTemporary(FolderOf(s.target), s.replacing ? 0600 : 0666, s.temporary));
    if (s.fd.Get() < 0)
        return s.Fail(errno);
    if (keepOldBytes && s.replacing) {
        std::string old;
        int readError = 0;
        if (ReadWholeFile(s.target, old, &readError) != WholeRead::Ok)
            return s.Fail(readError);
        return Write(old);
    }
    return 0;
}

int WholeFileWriter::Write(std::string_view bytes) {
    State& s = *m_state;
    if (s.error != 0)
        return s.error;
    if (s.fd.Get() < 0)
        return s.Fail(EBADF);
    s.pending.append(bytes);
    return s.pending.size() < kBufferSize ? 0 : Flush();
}

int WholeFileWriter::Flush() {
    State& s = *m_state;
    if (s.error == 0 && !s.pending.empty())
        s.Fail(WriteAll(s.fd.Get(), s.pending));
    s.pending.clear();
    return s.error;
}

int WholeFileWriter::Commit() {
    State& s = *m_state;
    if (s.committed)
        return 0;
    if (s.error == 0 && s.fd.Get() < 0)
        s.Fail(EBADF);
    Flush();
    if (s.temporary.empty()) {
        s.CloseFile();
        s.committed = s.error == 0;
        return s.error;
    }
    if (s.error == 0 && s.replacing) {
        // Owner first (it may clear set-id bits), then the permission bits.
        if (s.old.st_uid != ::geteuid() || s.old.st_gid != ::getegid())
            (void)::fchown(s.fd.Get(), s.old.st_uid, s.old.st_gid);
        (void)::fchmod(s.fd.Get(), s.old.st_mode & 07777);
    }
    if (s.error == 0)
        s.Fail(Checked(FileCall::Sync, [&] { return ::fsync(s.fd.Get()); }));
    s.CloseFile();
    if (s.error == 0)
        s.Fail(Checked(FileCall::Rename,
                       [&] { return ::rename(s.temporary.c_str(), s.target.c_str()); }));
    if (s.error != 0) {
        ::unlink(s.temporary.c_str());
        s.temporary.clear();
        return s.error;
    }
    s.committed = true;
    SyncFolder(FolderOf(s.target));
    return 0;
}

int WholeFileWriter::Error() const {
    return m_state->error;
}

int WriteWholeFile(const std::string& path, std::string_view bytes) {
    WholeFileWriter file;
    int error = file.Open(path, false);
    if (error == 0)
        error = file.Write(bytes);
    return error ? error : file.Commit();
}

} // namespace platform
