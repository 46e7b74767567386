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
#include <cstddef>
#include <windows.h>
#include <winioctl.h>

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

namespace {

// The path a symbolic link names, read from the link itself (a link whose
// target is missing cannot be opened through): "" for anything else.
std::string LinkText(const std::string& path) {
    Handle h(CreateFileW(Widen(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    struct SymbolicLink { // the symbolic-link form of REPARSE_DATA_BUFFER
        ULONG tag;
        USHORT dataLength, reserved, substituteOffset, substituteLength, printOffset, printLength;
        ULONG flags;
        WCHAR names[1];
    };
    alignas(SymbolicLink) BYTE buffer[MAXIMUM_REPARSE_DATA_BUFFER_SIZE];
    DWORD got = 0;
    if (!h.Valid() || !DeviceIoControl(h.Get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer,
                                       sizeof buffer, &got, nullptr))
        return {};
    const auto* link = reinterpret_cast<const SymbolicLink*>(buffer);
    const std::size_t names = offsetof(SymbolicLink, names);
    if (got < names || link->tag != IO_REPARSE_TAG_SYMLINK ||
        names + link->printOffset + link->printLength > got || link->printLength == 0)
        return {};
    const std::string text = win32::Narrow(
        std::wstring_view(link->names + link->printOffset / 2, link->printLength / 2));
    if (!(link->flags & SYMLINK_FLAG_RELATIVE))
        return text;
    const std::size_t slash = path.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + text;
}

// The final target of a symbolic link, through every link of a chain (the
// path itself for anything else).
std::string FinalTarget(const std::string& path) {
    std::string target = path;
    for (int hops = 0; hops < 40; ++hops) {
        const std::wstring name = Widen(target);
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return target;
        Handle h(CreateFileW(name.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        wchar_t resolved[MAX_PATH * 4];
        const DWORD n = h.Valid()
                            ? GetFinalPathNameByHandleW(h.Get(), resolved, MAX_PATH * 4,
                                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS)
                            : 0;
        if (n > 0 && n < MAX_PATH * 4) {
            std::wstring_view full(resolved, n);
            if (full.starts_with(L"\\\\?\\") && full.size() > 6 && full[5] == L':')
                full.remove_prefix(4); // \\?\C:\... as C:\...
            return win32::Narrow(full);
        }
        std::string next = LinkText(target); // a link whose target is missing
        if (next.empty())
            return target;
        target = std::move(next);
    }
    return target;
}

// The attributes a replacement takes over from the file it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

} // namespace

namespace detail {

bool NoSpace(int error) {
    return error == ENOSPC;
}

struct SystemFile::Impl {
    Handle file;
    std::string target;
    std::string temporary;                      // "" when the target is written directly
    bool direct = false;                        // the target itself is written
    DWORD attributes = INVALID_FILE_ATTRIBUTES; // of the file replaced
};

SystemFile::SystemFile() : m_impl(std::make_unique<Impl>()) {}

SystemFile::~SystemFile() {
    Discard();
}

void SystemFile::Discard() {
    m_impl->file.Close();
    if (!m_impl->temporary.empty())
        DeleteFileW(Widen(m_impl->temporary).c_str());
    m_impl->temporary.clear();
}

bool SystemFile::Direct() const {
    return m_impl->direct;
}

const std::string& SystemFile::Target() const {
    return m_impl->target;
}

int SystemFile::Open(const std::string& path, bool /*append*/, bool* replacing) {
    Impl& f = *m_impl;
    f.target = FinalTarget(path);
    const std::wstring name = Widen(f.target);
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
            f.direct = true;
            return 0;
        }
        *replacing = true;
        f.attributes = attributes;
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return LastErrno();
    }
    f.file.Reset(CreateTemporary(f.target, f.temporary));
    return f.file.Valid() ? 0 : LastErrno();
}

int SystemFile::Write(std::string_view bytes) {
    return WriteAll(m_impl->file.Get(), bytes);
}

int SystemFile::Commit(int error, bool replace, bool* refused) {
    Impl& f = *m_impl;
    auto fail = [&error](int code) {
        if (error == 0)
            error = code;
    };
    if (error == 0 && !f.direct && !FlushFileBuffers(f.file.Get()))
        fail(LastErrno());
    if (!f.file.Close())
        fail(LastErrno());
    if (f.direct)
        return error;
    const std::wstring temporary = Widen(f.temporary), target = Widen(f.target);
    if (error == 0 && f.attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(temporary.c_str(), f.attributes & kKeptAttributes);
    // A target another program holds open without delete sharing cannot be
    // replaced until it lets go (a sharing violation, or access denied for a
    // target Open found writable): a few tries over about 100 ms.
    for (int attempt = 0; error == 0; ++attempt) {
        if (MoveFileExW(temporary.c_str(), target.c_str(),
                        (replace ? MOVEFILE_REPLACE_EXISTING : 0) | MOVEFILE_WRITE_THROUGH))
            break;
        const DWORD code = GetLastError();
        const bool inUse = replace && f.attributes != INVALID_FILE_ATTRIBUTES &&
                           (code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED);
        if (!inUse || attempt == 4) {
            *refused = inUse;
            fail(win32::ErrnoOf(code));
        } else {
            Sleep(25);
        }
    }
    if (error != 0)
        Discard();
    f.temporary.clear();
    return error;
}

int SystemFile::Overwrite(std::string_view bytes, bool* opened) {
    Impl& f = *m_impl;
    // A file made anew (the old one removed) takes over its attributes.
    const DWORD kept = f.attributes == INVALID_FILE_ATTRIBUTES ? 0 : f.attributes & kKeptAttributes;
    f.file.Reset(CreateFileW(Widen(f.target).c_str(), GENERIC_WRITE, kShareAll, nullptr,
                             OPEN_ALWAYS, kept ? kept : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.file.Valid())
        return LastErrno();
    *opened = true;
    int error = WriteAll(f.file.Get(), bytes);
    if (error == 0 && !(SetEndOfFile(f.file.Get()) && FlushFileBuffers(f.file.Get())))
        error = LastErrno();
    if (!f.file.Close() && error == 0)
        error = LastErrno();
    return error;
}

void SystemFile::RemoveTarget() {
    DeleteFileW(Widen(m_impl->target).c_str());
}

} // namespace detail

} // namespace platform
