#include "link/link_fixture.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <strings.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "link/flashair_client.h"

extern char** environ;

namespace linktest {

namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in Loopback(int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

int ListenLoopback(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr = Loopback(0);
    socklen_t len = sizeof addr;
    if (fd >= 0 &&
        (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0 ||
         getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)) {
        close(fd);
        return -1;
    }
    port = ntohs(addr.sin_port);
    return fd;
}

// Appends what fd delivers until done(out) holds, the peer closes or the time is up.
void ReadUntil(int fd, std::string& out, Clock::time_point until,
               const std::function<bool(const std::string&)>& done = {}) {
    while (!(done && done(out))) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
            return;
        char buf[4096];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            return;
        out.append(buf, static_cast<std::size_t>(n));
    }
}

void SendAll(int fd, std::string_view out) {
    while (!out.empty()) {
        const ssize_t n = send(fd, out.data(), out.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        out.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::size_t ContentLength(const HttpRequest& request) {
    const auto value = request.Header("Content-Length");
    return value ? static_cast<std::size_t>(std::atol(value->c_str())) : 0;
}

// True once the bytes hold a request's headers and Content-Length bytes of body.
bool RequestComplete(const std::string& raw) {
    const auto parsed = ParseRequests(raw);
    return !parsed.empty() && parsed[0].body.size() >= ContentLength(parsed[0]);
}

} // namespace

std::string Clip(std::int32_t chunkSize, std::int32_t byteRate) {
    std::string wav = testsupport::MakeWav(8000, 80);
    for (std::size_t i = 0; i < 4; ++i) {
        wav[4 + i] = static_cast<char>((static_cast<std::uint32_t>(chunkSize) >> (8 * i)) & 0xFF);
        wav[28 + i] = static_cast<char>((static_cast<std::uint32_t>(byteRate) >> (8 * i)) & 0xFF);
    }
    return wav;
}

std::string Hex(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", c);
        out += (out.empty() ? "" : " ") + std::string(hex);
    }
    return out;
}

std::optional<std::string> HttpRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (key.size() == name.size() && strncasecmp(key.data(), name.data(), key.size()) == 0)
            return value;
    return std::nullopt;
}

std::vector<HttpRequest> ParseRequests(std::string_view raw) {
    std::vector<HttpRequest> requests;
    std::size_t pos = 0;
    for (std::size_t end; (end = raw.find("\r\n\r\n", pos)) != std::string_view::npos;) {
        HttpRequest request;
        std::string_view head = raw.substr(pos, end - pos);
        const std::size_t firstEnd = std::min(head.find("\r\n"), head.size());
        request.requestLine = head.substr(0, firstEnd);
        for (std::size_t at = firstEnd; at < head.size();) {
            at += 2;
            const std::size_t lineEnd = std::min(head.find("\r\n", at), head.size());
            const std::string_view line = head.substr(at, lineEnd - at);
            const std::size_t colon = line.find(':');
            std::string value(colon == std::string_view::npos ? "" : line.substr(colon + 1));
            value.erase(0, std::min(value.find_first_not_of(' '), value.size()));
            request.headers.emplace_back(std::string(line.substr(0, colon)), value);
            at = lineEnd;
        }
        pos = end + 4;
        request.body = std::string(raw.substr(pos, ContentLength(request)));
        pos += request.body.size();
        requests.push_back(std::move(request));
    }
    return requests;
}

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
        out = testsupport::ReadFile(m_outPath);
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
    return testsupport::ReadFile(m_logPath);
}

std::vector<HttpRequest> CardProcess::Requests() const {
    return ParseRequests(RawLog());
}

std::vector<std::string> CardProcess::OutputLines(std::size_t count) const {
    std::vector<std::string> lines;
    for (int i = 0; i < 500 && lines.size() < count; ++i) {
        if (i > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        lines.clear();
        std::string out = testsupport::ReadFile(m_outPath);
        out.erase(out.rfind('\n') + 1); // whole lines only
        std::istringstream stream(out);
        for (std::string line; std::getline(stream, line);)
            lines.push_back(line);
        if (!lines.empty())
            lines.erase(lines.begin()); // the port
    }
    return lines;
}

std::string CardProcess::CardFile(const std::string& relative) const {
    return testsupport::ReadFile(m_root + "/" + relative);
}

FakeServer::FakeServer(Mode mode, std::string reply) : m_mode(mode), m_reply(std::move(reply)) {
    m_listenFd = ListenLoopback(m_port);
    if (m_listenFd < 0)
        throw std::runtime_error("cannot listen");
    m_thread = std::thread([this] { Run(); });
}

FakeServer::~FakeServer() {
    m_stop = true;
    m_thread.join();
    for (int fd : m_held)
        close(fd);
    if (m_listenFd >= 0)
        close(m_listenFd);
}

void FakeServer::Run() {
    while (!m_stop) {
        if (m_listenFd < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        pollfd p{m_listenFd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0)
            continue;
        const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++m_connections;
        if (m_mode == Mode::Silent) {
            m_held.push_back(fd); // never answered; closed when the server goes
            continue;
        }
        std::string request;
        ReadUntil(fd, request, Clock::now() + std::chrono::seconds(3), RequestComplete);
        if (m_mode == Mode::ReplyOnce) {
            // Stop listening before replying, so that the next request is refused.
            close(m_listenFd);
            m_listenFd = -1;
        }
        SendAll(fd, m_reply);
        shutdown(fd, SHUT_WR);
        std::string sink; // until the client closes
        ReadUntil(fd, sink, Clock::now() + std::chrono::milliseconds(500));
        close(fd);
    }
}

int RefusedPort() {
    int port = 0;
    const int fd = ListenLoopback(port);
    close(fd);
    return port;
}

std::string HttpReply(std::string_view body, int status) {
    return "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Error") +
           "\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n" + std::string(body);
}

int ConnectLoopback(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr = Loopback(port);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string RawExchange(int port, std::string_view request, bool shutdownWrite, int timeoutMs) {
    const int fd = ConnectLoopback(port);
    if (fd < 0)
        return "<connect failed>";
    SendAll(fd, request);
    if (shutdownWrite)
        shutdown(fd, SHUT_WR);
    std::string reply;
    ReadUntil(fd, reply, Clock::now() + std::chrono::milliseconds(timeoutMs));
    close(fd);
    return reply;
}

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& log,
                                           std::string_view prefix) {
    std::vector<std::string> out;
    for (const auto& line : log)
        if (line.starts_with(prefix))
            out.push_back(line);
    return out;
}

} // namespace linktest

void LinkTest::SetUp() {
    // Requests to the loopback cards must not go through a proxy.
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(name);
    setenv("no_proxy", "*", 1);
    PlayerTest::SetUp();
    m_services.http = &m_http;
    m_services.httpTrace = [this](const std::string& l) { m_log.push_back(l); };
}

CVoicePlayer& LinkTest::Player() {
    if (!m_player) {
        PlayerTest::Player();
        m_log.clear(); // the catalogue messages of the construction do not matter here
    }
    return *m_player;
}
