#include "link/link_fixture.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "link/flashair_client.h"

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

// True once the bytes hold a request's headers and Content-Length bytes of body.
bool RequestComplete(const std::string& raw) {
    const std::size_t end = raw.find("\r\n\r\n");
    const std::size_t length = raw.find("\r\nContent-Length: ");
    return end != std::string::npos &&
           (length > end || raw.size() >= end + 4 + std::stoul(raw.substr(length + 18)));
}

} // namespace

std::string Clip(std::int32_t chunkSize, std::int32_t byteRate) {
    return testsupport::MakeWav(8000, 80)
        .replace(4, 4, testsupport::Le(static_cast<unsigned>(chunkSize), 4))
        .replace(28, 4, testsupport::Le(static_cast<unsigned>(byteRate), 4));
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

FakeServer::FakeServer(Mode mode, std::string reply) : m_mode(mode), m_reply(std::move(reply)) {
    m_listenFd = ListenLoopback(m_port);
    if (m_listenFd < 0)
        throw std::runtime_error("cannot listen");
    m_thread = std::thread([this] { Run(); });
}

FakeServer::~FakeServer() {
    m_stop = true;
    m_thread.join();
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
