// UTF-8 (the project's strings) to and from UTF-16 (the Win32 wide calls).
#pragma once

#include <string>
#include <string_view>

namespace voxwin {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

} // namespace voxwin
