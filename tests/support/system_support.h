// The system-specific half of the test support (test_support_posix.cpp or
// test_support_win32.cpp, chosen by CMake).
#pragma once

#include <string>
#include <string_view>

namespace testsupport {

// The UTF-8 text as CP932 by the system's own converter (not the code under
// test); throws when it has no exact CP932 form.
std::string SystemCp932(std::string_view utf8);

} // namespace testsupport
