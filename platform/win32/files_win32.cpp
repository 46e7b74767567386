// Whole files on Windows: a write goes to a temporary file in the target's
// folder that MoveFileExW puts in place of the target (write-through, after
// FlushFileBuffers), so the target holds either its old bytes or all the new
// ones. Names reach the system as UTF-16.
#include "platform/files.h"
#include "platform/files_system.h"
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

namespace detail {

struct SystemFile::Impl {
    Handle file;
    std::string target;
    std::string temporary; // "" when the target is written directly
};

SystemFile::SystemFile() : m_impl(std::make_unique<Impl>()) {}

SystemFile::~SystemFile() {
    m_impl->file.Close();
    if (!m_impl->temporary.empty())
        DeleteFileW(Widen(m_impl->temporary).c_str());
}

bool SystemFile::IsOpen() const {
    return m_impl->file.Valid();
}

const std::string& SystemFile::Target() const {
    return m_impl->target;
}

int SystemFile::Open(const std::string& path, bool /*append*/, bool* replacing) {
    Impl& f = *m_impl;
    f.target = path;
    const std::wstring name = Widen(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return EISDIR;
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return EACCES; // for every account, as Windows refuses writes to it
        // As opening it would: a file that is not writable (read-only
        // attribute, access rights, opened without sharing) is not replaced,
        // and a device (NUL, COM1), which has no bytes to keep, is written
        // directly.
        Handle probe(CreateFileW(name.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.Valid())
            return LastErrno();
        if (GetFileType(probe.Get()) != FILE_TYPE_DISK) {
            f.file.Reset(probe.Release());
            return 0;
        }
        *replacing = true;
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return LastErrno();
    }
    f.file.Reset(CreateTemporary(f.target, f.temporary));
    return f.file.Valid() ? 0 : LastErrno();
}

int SystemFile::Write(std::string_view bytes) {
    return WriteAll(m_impl->file.Get(), bytes);
}

int SystemFile::Commit(int error) {
    Impl& f = *m_impl;
    auto fail = [&error](int code) {
        if (error == 0)
            error = code;
    };
    if (error == 0 && !f.temporary.empty() && !FlushFileBuffers(f.file.Get()))
        fail(LastErrno());
    if (!f.file.Close())
        fail(LastErrno());
    if (f.temporary.empty())
        return error;
    if (error == 0 && !MoveFileExW(Widen(f.temporary).c_str(), Widen(f.target).c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        fail(LastErrno());
    if (error != 0)
        DeleteFileW(Widen(f.temporary).c_str());
    f.temporary.clear();
    return error;
}

} // namespace detail

} // namespace platform
