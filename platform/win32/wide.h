// Internal to the Windows platform layer: UTF-8 <-> UTF-16 for the wide
// system calls (every name reaches the system as UTF-16, whatever the ANSI
// code page), and system error codes as the errno values the platform
// interface reports.
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// The errno value closest to a system error code (GetLastError()).
int ErrnoOf(unsigned long systemError);

} // namespace platform::win32
