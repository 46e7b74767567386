#include "platform/console.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <iostream>

#include "platform/win32/wide.h"

namespace platform {

namespace {

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

void WriteConsoleText(HANDLE console, std::string_view utf8) {
    const std::wstring text = win32::Widen(utf8);
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 8192));
        if (!WriteConsoleW(console, text.data() + done, chunk, &written, nullptr) || written == 0)
            return;
        done += written;
    }
}

bool WriteFileBytes(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// std::cout or std::cerr on a console: UTF-16 through WriteConsoleW.
void ToConsole(std::ostream& stream, DWORD which) {
    const HANDLE console = GetStdHandle(which);
    if (!IsConsole(console))
        return;
    stream.flush();
    static Utf8SinkBuf* buffers[2] = {};
    auto*& buffer = buffers[which == STD_OUTPUT_HANDLE ? 0 : 1];
    if (!buffer) // kept to the end: the streams may be used until then
        buffer =
            new Utf8SinkBuf([console](std::string_view text) { WriteConsoleText(console, text); });
    stream.rdbuf(buffer);
}

} // namespace

void UseUtf8StandardStreams() {
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    ToConsole(std::cout, STD_OUTPUT_HANDLE);
    ToConsole(std::cerr, STD_ERROR_HANDLE);
}

bool WriteStandardOutput(std::string_view utf8) {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE && !IsConsole(out) &&
        GetFileType(out) != FILE_TYPE_UNKNOWN)
        return WriteFileBytes(out, utf8); // redirected to a file or a pipe
    if (IsConsole(out)) {
        WriteConsoleText(out, utf8);
        return true;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return false;
    const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    if (!IsConsole(console))
        return false;
    WriteConsoleText(console, utf8);
    CloseHandle(console);
    return true;
}

} // namespace platform
