// The `voxlet.exe` program: the main dialog on Win32.
#include <windows.h>

#include "ui/win32/voxlet_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return voxwin::RunVoxlet();
}
