#include "demo/demo_support.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/text.h"
#include "support/test_support.h"

namespace demotest {

namespace {

std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

} // namespace

RunResult RunProgram(const std::vector<std::string>& argv, const std::string& cwd,
                     const std::vector<std::string>& env) {
    std::string command = cwd.empty() ? "" : "cd " + Quoted(cwd) + " && ";
    command += "env";
    for (const auto& e : env)
        command += " " + Quoted(e);
    for (const auto& a : argv)
        command += " " + Quoted(a);
    RunResult result;
    FILE* pipe = popen((command + " </dev/null 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
        result.out.append(buf, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

RunResult RunScript(const std::string& cwd, const std::string& ini, const std::string& script) {
    const std::string path = ini + ".script";
    testsupport::WriteFile(path, script);
    return RunProgram({VOXLET_SCRIPT_BIN, "--ini", ini, path}, cwd);
}

std::vector<Row> ReadCatalogue(const std::string& path) {
    std::vector<Row> rows;
    platform::TextRowReader reader(path);
    for (bool header = true; auto line = reader.ReadRow(); header = false) {
        std::vector<std::string> c;
        std::istringstream in(line->substr(0, line->find_last_not_of("\r\n") + 1));
        for (std::string cell; std::getline(in, cell, ',');)
            c.push_back(cell);
        if (header || c.size() < 7)
            continue;
        rows.push_back({c.size(), std::atoi(c[0].c_str()), platform::Cp932ToUtf8(c[1]), c[3],
                        std::atoi(c[4].c_str()), std::atoi(c[5].c_str()), std::atoi(c[6].c_str())});
    }
    return rows;
}

StandIn::StandIn(const std::string& root, const std::vector<std::string>& extraArgs)
    : m_out(root + ".out") {
    std::vector<std::string> argv = {VOXLET_CARD_BIN, "--root", root, "--port", "0", "--robot"};
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> args;
    for (auto& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    const int fd = open(m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    m_pid = fork();
    if (m_pid == 0) {
        dup2(fd, 1);
        dup2(fd, 2);
        execv(args[0], args.data());
        _exit(127);
    }
    close(fd);
    // The first line names the port, the second what is watched.
    for (int i = 0; i < 500 && Lines().size() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto lines = Lines();
    if (lines.size() >= 2 && lines[0].starts_with("listening on 127.0.0.1:"))
        m_port = std::atoi(lines[0].c_str() + 23);
}

StandIn::~StandIn() {
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
}

std::vector<std::string> StandIn::Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(testsupport::ReadFile(m_out));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> StandIn::RobotLines(std::size_t count) const {
    std::vector<std::string> robot;
    for (int i = 0; i < 500 && robot.size() <= count; ++i) {
        if (robot.size() == count)
            i = std::max(i, 485); // a moment longer
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        robot.clear();
        for (const auto& line : Lines())
            if (line.starts_with("robot: "))
                robot.push_back(line);
    }
    return robot;
}

std::string ClipLine(int code, int length, int volume, int targetTime, const std::string& label) {
    std::string line = "robot: marker=-1 code=" + std::to_string(code) +
                       " length=" + std::to_string(length) +
                       " interval=25 volume=" + std::to_string(volume) +
                       " target-time=" + std::to_string(targetTime);
    return label.empty() ? line : line + " label=\"" + label + "\"";
}

} // namespace demotest
