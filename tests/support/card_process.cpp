#include "support/card_process.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace testsupport {

CardProcess::CardProcess(std::string root, std::vector<std::string> extraArgs)
    : m_root(std::move(root)), m_logPath(m_work / "requests.log"), m_outPath(m_work / "out.txt") {
    // The card's standard output goes to a file, read line by line as it grows.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, m_outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<std::string> args = {VOXLET_CARD_BIN, "--root", m_root, "--port", "0",
                                     "--log",         m_logPath};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, VOXLET_CARD_BIN, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start voxlet-card");
    m_pid = pid;
    // The first line names the port.
    const std::string prefix = "listening on 127.0.0.1:";
    std::string out;
    for (int i = 0; i < 1000 && out.find('\n') == std::string::npos && Running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        out = ReadFile(m_outPath);
    }
    if (!out.starts_with(prefix))
        throw std::runtime_error("voxlet-card did not start: " + out);
    m_port = std::atoi(out.c_str() + prefix.size());
}

CardProcess::~CardProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

bool CardProcess::Running() const {
    if (m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) != 0)
        m_pid = -1; // ended and reaped
    return m_pid > 0;
}

std::string CardProcess::RawLog() const {
    return ReadFile(m_logPath);
}

std::size_t CardProcess::RequestCount() const {
    const std::string log = RawLog();
    std::size_t n = 0;
    for (std::size_t at = 0; (at = log.find(" /upload.cgi", at)) != std::string::npos; ++at)
        ++n;
    return n;
}

std::string CardProcess::CardFile(const std::string& relative) const {
    return ReadFile(m_root + "/" + relative);
}

std::vector<std::string> CardProcess::OutputLines(std::size_t count,
                                                  std::string_view prefix) const {
    std::vector<std::string> lines;
    for (int i = 0; i < 500 && lines.size() <= count; ++i) {
        if (lines.size() == count)
            i = std::max(i, 470); // a moment longer
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        lines.clear();
        std::string out = ReadFile(m_outPath);
        out.erase(out.rfind('\n') + 1);                            // whole lines only
        std::istringstream stream(out.substr(out.find('\n') + 1)); // after the port
        for (std::string line; std::getline(stream, line);)
            if (line.starts_with(prefix))
                lines.push_back(line);
    }
    return lines;
}

} // namespace testsupport
