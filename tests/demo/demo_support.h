// Helpers of the demo-set and robot stand-in tests: running the tools and
// reading the generated catalogues.
#pragma once

#include <string>
#include <vector>

namespace demotest {

struct RunResult {
    int status = -1; // the exit status; -1 when the program did not end normally
    std::string out; // its standard output and standard error
};

// Runs argv in the folder cwd ("" for this one) with extra "NAME=VALUE" settings.
RunResult RunProgram(const std::vector<std::string>& argv, const std::string& cwd = "",
                     const std::vector<std::string>& env = {});
// Runs voxlet-script in cwd with the given settings file and script text.
RunResult RunScript(const std::string& cwd, const std::string& ini, const std::string& script);

// One catalogue row (the header skipped): label in UTF-8.
struct Row {
    std::size_t columns = 0;
    int set = 0;
    std::string label, file;
    int id = 0, seconds = 0, category = 0;
};
std::vector<Row> ReadCatalogue(const std::string& path);

} // namespace demotest
