#include "support/system_support.h"
#include "support/test_support.h"

#include <filesystem>
#include <stdexcept>
#include <windows.h>

#include "platform/win32/wide.h"

namespace testsupport {

bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

bool MakeFifo(const std::string& /*path*/) {
    return false;
}

bool HeapInUse(std::size_t& /*bytes*/) {
    return false;
}

bool MakeReadOnly(const std::string& path) {
    return SetFileAttributesW(std::filesystem::path(path).c_str(), FILE_ATTRIBUTE_READONLY) != 0;
}

bool Hide(const std::string& path) {
    return SetFileAttributesW(std::filesystem::path(path).c_str(), FILE_ATTRIBUTE_HIDDEN) != 0;
}

bool Hidden(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(std::filesystem::path(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN);
}

std::string SystemCp932(std::string_view utf8) {
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), size)));
    std::string out(wide.size() * 2, '\0');
    BOOL usedDefault = FALSE;
    out.resize(static_cast<std::size_t>(
        WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                            out.data(), static_cast<int>(out.size()), nullptr, &usedDefault)));
    if (usedDefault)
        throw std::runtime_error("text cannot be written as CP932");
    return out;
}

std::intptr_t StartProgram(std::vector<std::string> args, const std::string& outputPath) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE output = CreateFileW(platform::win32::Widen(outputPath).c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited,
                                CREATE_ALWAYS, 0, nullptr);
    std::wstring line;
    for (const auto& a : args) // none holds a quote or ends in a backslash
        line += (line.empty() ? L"\"" : L" \"") + platform::win32::Widen(a) + L"\"";
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = output;
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started{}; // Wine fills in no handles for a Unix program
    const BOOL ok = output != INVALID_HANDLE_VALUE &&
                    CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                   nullptr, &start, &started);
    if (output != INVALID_HANDLE_VALUE)
        CloseHandle(output);
    for (HANDLE h : {started.hProcess, started.hThread})
        if (h)
            CloseHandle(h);
    if (!ok)
        throw std::runtime_error("cannot start " + args[0]);
    return 0;
}

void ReapProgram(std::intptr_t /*id*/) {
    // Nothing to wait on: Wine keeps no record of a Unix program it started.
}

std::string HostPath(const std::string& path) {
    // Wine's own mapping of its drives to the Unix file system.
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = toUnix ? toUnix(platform::win32::Widen(path).c_str()) : nullptr;
    if (!unix)
        throw std::runtime_error("no Unix path for " + path + " (not under Wine?)");
    std::string mapped(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return mapped;
}

} // namespace testsupport
