// Helpers of the demo-set and robot stand-in tests: running the tools,
// reading the generated catalogues, and robot stand-ins as child processes.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <utility>
#include <vector>

namespace demotest {

// Paths of the tools and the generated set (compile definitions).
std::string DemoDir();
std::string ResourcesDir();
std::string GeneratorBin();
std::string ScriptBin();
std::string CardBin();

struct RunResult {
    int status = -1; // the exit status; -1 when the program did not end normally
    std::string out; // its standard output (and standard error)
};

// Runs a program in the folder cwd with extra environment variables.
RunResult RunProgram(const std::vector<std::string>& argv, const std::string& cwd,
                     const std::vector<std::pair<std::string, std::string>>& env = {});

// Runs voxlet-script in the folder cwd with the given settings and script.
RunResult RunScript(const std::string& cwd, const std::string& ini, const std::string& script);

// One catalogue row as the program reads it.
struct Row {
    std::vector<std::string> columns; // CP932 bytes, the line end removed
    int set = 0;
    bool setEmpty = false;
    std::string label; // UTF-8
    std::string file;
    int id = 0;
    int seconds = 0;
    int category = 0;
    unsigned flags = 0;
};

// The rows of a catalogue file (the header skipped).
std::vector<Row> ReadCatalogue(const std::string& path);

// The rows the program takes with the given mask.
std::vector<Row> TakenRows(const std::vector<Row>& rows, unsigned mask);

// The play-list names as the program lists them (file names without ".txt",
// sorted by name ignoring case).
std::vector<std::string> PlayListNames(const std::string& demoDir);

// A robot stand-in: voxlet-card --robot on a free loopback port.
class StandIn {
public:
    StandIn(const std::string& root, std::vector<std::string> extraArgs,
            const std::vector<std::pair<std::string, std::string>>& env = {});
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    int Port() const { return m_port; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }
    bool Running() const;
    // The "robot: " lines printed so far, after waiting until there are at
    // least `count` of them (or the time-out).
    std::vector<std::string>
    RobotLines(std::size_t count,
               std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Everything printed on standard output so far.
    std::vector<std::string> AllLines() const;
    std::string ErrorOutput() const;

private:
    pid_t m_pid = -1;
    int m_outFd = -1;
    int m_port = 0;
    std::string m_errPath;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    std::thread m_reader;
};

// The line a stand-in prints for a clip record.
std::string ClipLine(int marker, int code, int length, int interval, int volume, int targetTime,
                     const std::string& label);

// Creates a folder with its parents.
void MakeDirs(const std::string& path);

} // namespace demotest
