#include "support/loopback.h"

// The few calls that differ between the systems' sockets; the rest is shared.
#ifdef _WIN32
#include <winsock2.h>

namespace {
using Native = SOCKET;
using socklen_t = int;
const int kNoSignal = 0, kShutWrite = SD_SEND, kReadable = POLLRDNORM;
const auto Poll = WSAPoll;
const auto CloseNative = closesocket;
Native NewSocket() {
    static const bool started = [] { // Winsock, once before the first socket
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
    return WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
}
Native AcceptOn(Native s) {
    return accept(s, nullptr, nullptr);
}
} // namespace
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
using Native = int;
const int kNoSignal = MSG_NOSIGNAL, kShutWrite = SHUT_WR, kReadable = POLLIN;
const auto Poll = ::poll;
const auto CloseNative = ::close;
Native NewSocket() {
    return socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
}
Native AcceptOn(Native s) {
    return accept4(s, nullptr, nullptr, SOCK_CLOEXEC);
}
} // namespace
#endif

namespace testsupport {

namespace {

// A socket as the class keeps it: a failed one (INVALID_SOCKET on Windows) is -1.
std::intptr_t Id(Native s) {
    return static_cast<std::intptr_t>(s);
}

Native Fd(std::intptr_t fd) {
    return static_cast<Native>(fd);
}

sockaddr_in Loopback(int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

} // namespace

Socket Socket::Listen(int backlog) {
    Socket s(Id(NewSocket()));
    sockaddr_in addr = Loopback(0);
    if (s.Valid() && (bind(Fd(s.m_fd), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
                      listen(Fd(s.m_fd), backlog) != 0))
        s.Close();
    return s;
}

Socket Socket::Connect(int port) {
    Socket s(Id(NewSocket()));
    sockaddr_in addr = Loopback(port);
    if (s.Valid() && connect(Fd(s.m_fd), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        s.Close();
    return s;
}

int Socket::Port() const {
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    getsockname(Fd(m_fd), reinterpret_cast<sockaddr*>(&addr), &len);
    return ntohs(addr.sin_port);
}

bool Socket::Readable(int timeoutMs) const {
    pollfd p{Fd(m_fd), static_cast<short>(kReadable), 0};
    return Poll(&p, 1, timeoutMs) > 0;
}

Socket Socket::Accept() const {
    return Socket(Id(AcceptOn(Fd(m_fd))));
}

long Socket::Receive(char* buffer, std::size_t size) const {
    return static_cast<long>(recv(Fd(m_fd), buffer, static_cast<int>(size), 0));
}

void Socket::Send(std::string_view bytes) const {
    while (!bytes.empty()) {
        const auto n = send(Fd(m_fd), bytes.data(), static_cast<int>(bytes.size()), kNoSignal);
        if (n <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void Socket::ShutdownWrite() const {
    shutdown(Fd(m_fd), kShutWrite);
}

void Socket::Close() {
    if (m_fd != -1)
        CloseNative(Fd(m_fd));
    m_fd = -1;
}

} // namespace testsupport
