// Helpers of the demo-set and robot stand-in tests: running the tools,
// reading the generated catalogues, robot stand-ins as child processes.
#pragma once

#include <string>
#include <sys/types.h>
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

// A robot stand-in: voxlet-card --robot on a free loopback port, its output
// in ROOT.out.
class StandIn {
public:
    StandIn(const std::string& root, const std::vector<std::string>& extraArgs);
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }
    // The "robot: " lines, after waiting for `count` of them (at most 10 s)
    // and a moment longer, so that a line too many shows.
    std::vector<std::string> RobotLines(std::size_t count) const;

private:
    std::vector<std::string> Lines() const;
    pid_t m_pid = -1;
    int m_port = 0;
    std::string m_out;
};

// The line a stand-in prints for a clip record.
std::string ClipLine(int code, int length, int volume, int targetTime, const std::string& label);

} // namespace demotest
