#include "demo/demo_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/text.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace demotest {

std::string DemoDir() {
    return VOXLET_DEMO_DIR;
}
std::string ResourcesDir() {
    return VOXLET_DEMO_RESOURCES;
}
std::string GeneratorBin() {
    return VOXLET_DEMO_BIN;
}
std::string ScriptBin() {
    return VOXLET_SCRIPT_BIN;
}
std::string CardBin() {
    return VOXLET_CARD_BIN;
}

namespace {

// Starts a program with its standard output on a pipe (returned in outFd) and
// its standard error in errPath (or on the same pipe when errPath is empty).
pid_t Spawn(const std::vector<std::string>& argv, const std::string& cwd,
            const std::vector<std::pair<std::string, std::string>>& env, int& outFd,
            const std::string& errPath) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    // The environment is made before the fork: the child of a process with
    // threads may only call what is safe after a fork.
    std::vector<std::string> variables;
    for (char** e = environ; *e; ++e) {
        const std::string variable = *e;
        const std::string key = variable.substr(0, variable.find('='));
        if (std::none_of(env.begin(), env.end(), [&](const auto& p) { return p.first == key; }))
            variables.push_back(variable);
    }
    for (const auto& [key, value] : env)
        variables.push_back(key + "=" + value);
    std::vector<char*> envp;
    for (auto& v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (!cwd.empty() && chdir(cwd.c_str()) != 0)
            _exit(126);
        const int in = open("/dev/null", O_RDONLY);
        dup2(in, 0);
        dup2(fds[1], 1);
        if (errPath.empty()) {
            dup2(fds[1], 2);
        } else {
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(err, 2);
        }
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    close(fds[1]);
    outFd = fds[0];
    return pid;
}

} // namespace

RunResult RunProgram(const std::vector<std::string>& argv, const std::string& cwd,
                     const std::vector<std::pair<std::string, std::string>>& env) {
    int fd = -1;
    const pid_t pid = Spawn(argv, cwd, env, fd, "");
    RunResult result;
    char buf[4096];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        result.out.append(buf, static_cast<std::size_t>(n));
    }
    close(fd);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

RunResult RunScript(const std::string& cwd, const std::string& ini, const std::string& script) {
    static int counter = 0;
    const std::string scriptPath =
        fs::path(ini).parent_path() / ("script-" + std::to_string(++counter));
    testsupport::WriteFile(scriptPath, script);
    return RunProgram({ScriptBin(), "--ini", ini, scriptPath}, cwd);
}

std::vector<Row> ReadCatalogue(const std::string& path) {
    std::vector<Row> rows;
    platform::TextRowReader reader(path);
    if (!reader.IsOpen())
        return rows;
    bool header = true;
    while (auto line = reader.ReadRow()) {
        if (header) {
            header = false;
            continue;
        }
        std::string text = *line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        Row row;
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = text.find(',', start);
            row.columns.push_back(text.substr(start, comma - start));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        const auto& c = row.columns;
        if (c.size() < 7)
            continue;
        row.setEmpty = c[0].empty();
        row.set = std::atoi(c[0].c_str());
        row.label = platform::Cp932ToUtf8(c[1]);
        row.file = c[3];
        row.id = static_cast<std::int16_t>(std::atoi(c[4].c_str()));
        row.seconds = std::atoi(c[5].c_str());
        row.category = std::atoi(c[6].c_str());
        for (std::size_t i = 7; i < c.size() && i < 19; ++i)
            row.flags = row.flags * 2 + (c[i].starts_with("1") ? 1 : 0);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<Row> TakenRows(const std::vector<Row>& rows, unsigned mask) {
    std::vector<Row> taken;
    for (const Row& row : rows)
        if (row.setEmpty || (static_cast<unsigned>(row.set) & mask) != 0)
            taken.push_back(row);
    return taken;
}

std::vector<std::string> PlayListNames(const std::string& demoDir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(demoDir + "/voice/play_list"))
        if (entry.path().extension() == ".txt")
            names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end(), [](std::string a, std::string b) {
        for (auto* s : {&a, &b})
            for (char& ch : *s)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return a < b;
    });
    return names;
}

StandIn::StandIn(const std::string& root, std::vector<std::string> extraArgs,
                 const std::vector<std::pair<std::string, std::string>>& env) {
    m_errPath = root + ".stderr";
    std::vector<std::string> argv = {CardBin(), "--root", root, "--port", "0", "--robot"};
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    m_pid = Spawn(argv, "", env, m_outFd, m_errPath);

    // The first line names the port; the second says what is watched.
    std::string pending;
    const auto until = Clock::now() + std::chrono::seconds(10);
    auto lines = [&] { return std::count(pending.begin(), pending.end(), '\n'); };
    while (lines() < 2) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        pollfd p{m_outFd, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        char buf[512];
        const ssize_t n = read(m_outFd, buf, sizeof buf);
        if (n <= 0)
            break;
        pending.append(buf, static_cast<std::size_t>(n));
    }
    const std::string prefix = "listening on 127.0.0.1:";
    if (lines() < 2 || pending.rfind(prefix, 0) != 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        close(m_outFd);
        throw std::runtime_error("the robot stand-in did not start: " + pending +
                                 testsupport::ReadFile(m_errPath));
    }
    m_port = std::atoi(pending.c_str() + prefix.size());
    for (std::size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
        m_lines.push_back(pending.substr(0, nl));
        pending.erase(0, nl + 1);
    }
    m_reader = std::thread([this, pending] {
        std::string buffer = pending;
        char buf[1024];
        for (;;) {
            std::size_t nl;
            while ((nl = buffer.find('\n')) != std::string::npos) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_lines.push_back(buffer.substr(0, nl));
                buffer.erase(0, nl + 1);
            }
            const ssize_t n = read(m_outFd, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return;
            buffer.append(buf, static_cast<std::size_t>(n));
        }
    });
}

StandIn::~StandIn() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        const auto until = Clock::now() + std::chrono::seconds(5);
        while (waitpid(m_pid, nullptr, WNOHANG) == 0) {
            if (Clock::now() >= until) {
                ADD_FAILURE() << "the robot stand-in did not stop on SIGTERM";
                kill(m_pid, SIGKILL);
                waitpid(m_pid, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    if (m_reader.joinable())
        m_reader.join();
    if (m_outFd >= 0)
        close(m_outFd);
}

bool StandIn::Running() const {
    return m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0;
}

std::vector<std::string> StandIn::AllLines() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines;
}

std::vector<std::string> StandIn::RobotLines(std::size_t count,
                                             std::chrono::milliseconds timeout) const {
    const auto until = Clock::now() + timeout;
    for (;;) {
        std::vector<std::string> robot;
        for (const auto& line : AllLines())
            if (line.starts_with("robot: "))
                robot.push_back(line);
        if (robot.size() >= count || Clock::now() >= until)
            return robot;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::string StandIn::ErrorOutput() const {
    return testsupport::ReadFile(m_errPath);
}

std::string ClipLine(int marker, int code, int length, int interval, int volume, int targetTime,
                     const std::string& label) {
    std::string line =
        "robot: marker=" + std::to_string(marker) + " code=" + std::to_string(code) +
        " length=" + std::to_string(length) + " interval=" + std::to_string(interval) +
        " volume=" + std::to_string(volume) + " target-time=" + std::to_string(targetTime);
    if (!label.empty())
        line += " label=\"" + label + "\"";
    return line;
}

void MakeDirs(const std::string& path) {
    fs::create_directories(path);
}

} // namespace demotest
