// The `voxlet.exe` program: the main dialog on Win32.
#include <windows.h>

#include <shellapi.h>

#include <string_view>

#include "platform/console.h"
#include "ui/voxlet_usage.h"
#include "ui/win32/voxlet_app.h"

namespace {

bool AskedForHelp() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    bool help = false;
    for (int i = 1; args && i < count; ++i)
        help = help || std::wstring_view(args[i]) == L"--help";
    LocalFree(args);
    return help;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (AskedForHelp()) {
        // A windowed program: the usage goes to the starting console when
        // there is one, else into a message box.
        if (!platform::WriteStandardOutput(kVoxletUsage))
            MessageBoxA(nullptr, kVoxletUsage, "voxlet", MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    return voxwin::RunVoxlet();
}
