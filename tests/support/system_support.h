// The system-specific half of the test support (test_support_posix.cpp or
// test_support_win32.cpp, chosen by CMake).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// The UTF-8 text as CP932 by the system's own converter (not the code under
// test); throws when it has no exact CP932 form.
std::string SystemCp932(std::string_view utf8);

// Starts a Linux program (args[0] its path) with its standard output into
// the file at outputPath; under Wine too, which starts Unix programs natively
// but gives no handle of them, so the program must end by itself (voxlet-card
// --lifeline). Its id for ReapProgram; throws when it cannot start.
std::intptr_t StartProgram(std::vector<std::string> args, const std::string& outputPath);
// Waits for a program that has ended (or is ending) to be gone.
void ReapProgram(std::intptr_t id);
// A path as such a program sees it.
std::string HostPath(const std::string& path);

} // namespace testsupport
