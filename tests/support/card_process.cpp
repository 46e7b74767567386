#include "support/card_process.h"

#include <chrono>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/system_support.h"

namespace testsupport {

CardProcess::CardProcess(std::string root, std::vector<std::string> extraArgs)
    : m_root(std::move(root)), m_logPath(m_work / "requests.log"), m_outPath(m_work / "out.txt") {
    // The card's standard output goes to a file, read line by line as it grows.
    Socket lifeline = Socket::Listen(1);
    std::vector<std::string> args = {
        VOXLET_CARD_BIN,     "--root",    HostPath(m_root), "--port", "0", "--log",
        HostPath(m_logPath), "--lifeline"};
    args.push_back(std::to_string(lifeline.Port()));
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    m_id = StartProgram(std::move(args), m_outPath);
    if (lifeline.Readable(10000))
        m_lifeline = lifeline.Accept();
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
    // Once the card has seen the end, it closes its side as it ends.
    m_lifeline.ShutdownWrite();
    m_lifeline.Readable(5000);
    m_lifeline.Close();
    ReapProgram(m_id);
}

bool CardProcess::Running() const {
    // The card never writes: a readable lifeline is its end.
    return m_lifeline.Valid() && !m_lifeline.Readable(0);
}

std::string CardProcess::RawLog() const {
    return ReadFile(m_logPath);
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
