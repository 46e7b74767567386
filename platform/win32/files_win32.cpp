// Whole files on Windows: a write goes to a temporary file in the target's
// folder that MoveFileExW puts in place of the target (write-through, after
// FlushFileBuffers), so the target holds either its old bytes or all the new
// ones. Names reach the system as UTF-16.
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/win32/wide.h"

#include <atomic>
#include <cerrno>
#include <windows.h>

namespace platform {

namespace {

using win32::Widen;

int LastErrno() {
    return win32::ErrnoOf(GetLastError());
}

class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return m_h; }
    bool Valid() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE Release() {
        const HANDLE h = m_h;
        m_h = INVALID_HANDLE_VALUE;
        return h;
    }
    void Reset(HANDLE h) {
        Close();
        m_h = h;
    }
    bool Close() {
        if (!Valid())
            return true;
        const bool ok = CloseHandle(m_h) != 0;
        m_h = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_h;
};

// Writes are gathered up to this size, as a C stream's buffer would.
constexpr std::size_t kBufferSize = 64 * 1024;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

int WriteAll(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD put = 0;
        if (!WriteFile(h, bytes.data(), chunk, &put, nullptr))
            return LastErrno();
        if (put == 0)
            return ENOSPC;
        bytes.remove_prefix(put);
    }
    return 0;
}

bool IsFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates a file of a fresh name in the target's folder.
HANDLE CreateTemporary(const std::string& target, std::string& name) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = target.find_last_of("\\/");
    const std::string prefix =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = prefix + ".voxlet-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string((GetTickCount64() + counter++) % 1000000007ull);
        const HANDLE h = CreateFileW(Widen(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            if (h == INVALID_HANDLE_VALUE)
                name.clear();
            return h;
        }
    }
    name.clear();
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
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
    const std::wstring name = Widen(path);
    Handle h(CreateFileW(name.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return WholeRead::Missing;
        return failed(IsFolder(GetFileAttributesW(name.c_str())) ? EISDIR : win32::ErrnoOf(code));
    }
    if (GetFileType(h.Get()) != FILE_TYPE_DISK)
        return failed(EINVAL);
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h.Get(), &size) && size.QuadPart > 0)
        data.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(h.Get(), buffer, sizeof buffer, &got, nullptr))
            return failed(LastErrno());
        if (got == 0)
            break;
        data.append(buffer, got);
    }
    return WholeRead::Ok;
}

struct WholeFileWriter::State {
    Handle file;
    std::string target;
    std::string temporary; // "" when the target is written directly
    std::string pending;   // bytes not yet written
    int error = 0;
    bool committed = false;

    int Fail(int code) {
        if (error == 0)
            error = code;
        return error;
    }
};

WholeFileWriter::WholeFileWriter() : m_state(std::make_unique<State>()) {}

WholeFileWriter::~WholeFileWriter() {
    m_state->file.Close();
    if (!m_state->committed && !m_state->temporary.empty())
        DeleteFileW(Widen(m_state->temporary).c_str());
}

int WholeFileWriter::Open(const std::string& path, bool keepOldBytes) {
    State& s = *m_state;
    if (s.error != 0 || s.file.Valid() || s.committed)
        return s.Fail(EBUSY); // one file per writer
    if (path.empty())
        return s.Fail(ENOENT);
    s.target = path;
    const std::wstring name = Widen(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    bool replacing = false;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return s.Fail(EISDIR);
        // As opening it would: a file that is not writable (read-only
        // attribute, access rights, opened without sharing) is not replaced,
        // and a device (NUL, COM1) is written directly.
        Handle probe(CreateFileW(name.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.Valid())
            return s.Fail(LastErrno());
        if (GetFileType(probe.Get()) != FILE_TYPE_DISK) {
            s.file.Reset(probe.Release());
            return 0;
        }
        replacing = true;
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return s.Fail(LastErrno());
    }
    s.file.Reset(CreateTemporary(s.target, s.temporary));
    if (!s.file.Valid())
        return s.Fail(LastErrno());
    if (keepOldBytes && replacing) {
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
    if (!s.file.Valid())
        return s.Fail(EBADF);
    s.pending.append(bytes);
    return s.pending.size() < kBufferSize ? 0 : Flush();
}

int WholeFileWriter::Flush() {
    State& s = *m_state;
    if (s.error == 0 && !s.pending.empty())
        s.Fail(WriteAll(s.file.Get(), s.pending));
    s.pending.clear();
    return s.error;
}

int WholeFileWriter::Commit() {
    State& s = *m_state;
    if (s.committed)
        return 0;
    if (s.error == 0 && !s.file.Valid())
        s.Fail(EBADF);
    Flush();
    if (s.temporary.empty()) {
        if (!s.file.Close())
            s.Fail(LastErrno());
        s.committed = s.error == 0;
        return s.error;
    }
    if (s.error == 0 && !FlushFileBuffers(s.file.Get()))
        s.Fail(LastErrno());
    if (!s.file.Close())
        s.Fail(LastErrno());
    if (s.error == 0 && !MoveFileExW(Widen(s.temporary).c_str(), Widen(s.target).c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        s.Fail(LastErrno());
    if (s.error != 0) {
        DeleteFileW(Widen(s.temporary).c_str());
        s.temporary.clear();
        return s.error;
    }
    s.committed = true;
    return 0;
}

int WholeFileWriter::Error() const {
    return m_state->error;
}

} // namespace platform
