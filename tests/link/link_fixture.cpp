#include "link/link_fixture.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "link/flashair_client.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/sleep.h"
#include "ui/templates.h"

extern char** environ;

namespace linktest {

namespace {

using Clock = std::chrono::steady_clock;

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

int ConnectLoopback(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int ListenLoopback(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = 0;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0) {
        close(fd);
        return -1;
    }
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return fd;
}

// Reads one request (headers and Content-Length bytes) within the time.
std::string ReadRequest(int fd, int timeoutMs) {
    std::string raw;
    const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const std::size_t end = raw.find("\r\n\r\n");
        if (end != std::string::npos) {
            const auto parsed = ParseRequests(raw);
            std::size_t length = 0;
            if (!parsed.empty())
                if (auto cl = parsed[0].Header("Content-Length"))
                    length = static_cast<std::size_t>(std::atol(cl->c_str()));
            if (raw.size() >= end + 4 + length)
                return raw;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0)
            return raw;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0)
            return raw;
        char buf[4096];
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return raw;
        raw.append(buf, static_cast<std::size_t>(n));
    }
}

} // namespace

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out += static_cast<char>(static_cast<unsigned char>(v));
    return out;
}

std::string Hex(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", c);
        if (!out.empty())
            out += ' ';
        out += hex;
    }
    return out;
}

std::optional<std::string> HttpRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (EqualsNoCase(key, name))
            return value;
    return std::nullopt;
}

std::vector<std::string> HttpRequest::HeaderNames() const {
    std::vector<std::string> names;
    for (const auto& h : headers)
        names.push_back(h.first);
    return names;
}

std::vector<HttpRequest> ParseRequests(std::string_view raw) {
    std::vector<HttpRequest> requests;
    std::size_t pos = 0;
    while (pos < raw.size()) {
        const std::size_t end = raw.find("\r\n\r\n", pos);
        if (end == std::string_view::npos)
            break;
        HttpRequest request;
        std::string_view head = raw.substr(pos, end - pos);
        std::size_t lineStart = 0;
        bool first = true;
        while (lineStart <= head.size()) {
            std::size_t lineEnd = head.find("\r\n", lineStart);
            if (lineEnd == std::string_view::npos)
                lineEnd = head.size();
            const std::string_view line = head.substr(lineStart, lineEnd - lineStart);
            if (first) {
                request.requestLine = line;
                first = false;
            } else {
                const std::size_t colon = line.find(':');
                std::string value(colon == std::string_view::npos ? "" : line.substr(colon + 1));
                while (!value.empty() && value.front() == ' ')
                    value.erase(0, 1);
                request.headers.emplace_back(std::string(line.substr(0, colon)), value);
            }
            lineStart = lineEnd + 2;
        }
        pos = end + 4;
        std::size_t length = 0;
        if (auto cl = request.Header("Content-Length"))
            length = static_cast<std::size_t>(std::atol(cl->c_str()));
        request.body = std::string(raw.substr(pos, length));
        pos += request.body.size();
        requests.push_back(std::move(request));
    }
    return requests;
}

CardProcess::CardProcess(std::string root, std::vector<std::string> extraArgs)
    : m_root(std::move(root)), m_logPath(m_work / "requests.log") {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
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
    close(fds[1]);
    m_outFd = fds[0];
    if (rc != 0) {
        close(m_outFd);
        throw std::runtime_error("cannot start voxlet-card");
    }
    m_pid = pid;

    // The first line names the port.
    std::string pending;
    const auto until = Clock::now() + std::chrono::seconds(10);
    while (pending.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        pollfd p{m_outFd, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        char buf[256];
        const ssize_t n = read(m_outFd, buf, sizeof buf);
        if (n <= 0)
            break;
        pending.append(buf, static_cast<std::size_t>(n));
    }
    const std::size_t nl = pending.find('\n');
    m_firstLine = pending.substr(0, nl);
    const std::string prefix = "listening on 127.0.0.1:";
    if (nl == std::string::npos || m_firstLine.rfind(prefix, 0) != 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
        close(m_outFd);
        m_outFd = -1;
        throw std::runtime_error("voxlet-card did not start: " + pending);
    }
    m_port = std::atoi(m_firstLine.c_str() + prefix.size());
    pending.erase(0, nl + 1);
    m_reader = std::thread([this, pending] {
        std::string buffer = pending;
        char buf[1024];
        for (;;) {
            std::size_t nlPos;
            while ((nlPos = buffer.find('\n')) != std::string::npos) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_lines.push_back(buffer.substr(0, nlPos));
                buffer.erase(0, nlPos + 1);
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

CardProcess::~CardProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_reader.joinable())
        m_reader.join();
    if (m_outFd >= 0)
        close(m_outFd);
}

bool CardProcess::Running() const {
    return m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0;
}

std::string CardProcess::RawLog() const {
    return testsupport::ReadFile(m_logPath);
}

std::vector<HttpRequest> CardProcess::Requests() const {
    return ParseRequests(RawLog());
}

std::vector<std::string> CardProcess::OutputLines(std::size_t count) const {
    const auto until = Clock::now() + std::chrono::seconds(5);
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_lines.size() >= count || Clock::now() >= until)
                return m_lines;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
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

std::vector<std::string> FakeServer::RawRequests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
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
            std::lock_guard<std::mutex> lock(m_mutex);
            m_held.push_back(fd); // never answered; closed when the server goes
            continue;
        }
        const std::string request = ReadRequest(fd, 3000);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(request);
        }
        if (m_mode == Mode::ReplyOnce) {
            // Stop listening before replying, so that the next request is refused.
            close(m_listenFd);
            m_listenFd = -1;
        }
        std::string_view out = m_reply;
        while (!out.empty()) {
            const ssize_t n = send(fd, out.data(), out.size(), MSG_NOSIGNAL);
            if (n <= 0)
                break;
            out.remove_prefix(static_cast<std::size_t>(n));
        }
        shutdown(fd, SHUT_WR);
        char sink[1024];
        pollfd q{fd, POLLIN, 0};
        while (poll(&q, 1, 500) > 0 && recv(fd, sink, sizeof sink, 0) > 0) {
        }
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

std::string RawExchange(int port, std::string_view request, bool shutdownWrite, int timeoutMs) {
    const int fd = ConnectLoopback(port);
    if (fd < 0)
        return "<connect failed>";
    std::string_view out = request;
    while (!out.empty()) {
        const ssize_t n = send(fd, out.data(), out.size(), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        out.remove_prefix(static_cast<std::size_t>(n));
    }
    if (shutdownWrite)
        shutdown(fd, SHUT_WR);
    std::string reply;
    const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        char buf[4096];
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        reply.append(buf, static_cast<std::size_t>(n));
    }
    close(fd);
    return reply;
}

std::vector<std::string> Messages(const std::vector<std::string>& log) {
    std::vector<std::string> out;
    for (const auto& line : log)
        if (line.rfind("message ", 0) == 0)
            out.push_back(line);
    return out;
}

std::vector<std::string> HttpLines(const std::vector<std::string>& log) {
    std::vector<std::string> out;
    for (const auto& line : log)
        if (line.rfind("http ", 0) == 0)
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
    SetHttpTraceHook([this](const std::string& l) { m_log.push_back(l); });
    SetHttpTimeouts(HttpTimeouts{});
}

void LinkTest::TearDown() {
    SetHttpTraceHook(nullptr);
    SetHttpTimeouts(HttpTimeouts{});
    PlayerTest::TearDown();
}

CVoicePlayer& LinkTest::Player() {
    if (!m_player) {
        PlayerTest::Player();
        m_log.clear(); // the catalogue messages of the construction do not matter here
    }
    return *m_player;
}
