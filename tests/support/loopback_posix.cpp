#include "support/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

int Fd(std::intptr_t fd) {
    return static_cast<int>(fd);
}

} // namespace

Socket Socket::Listen(int backlog) {
    Socket s(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in addr = Loopback(0);
    if (s.Valid() && (bind(Fd(s.m_fd), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
                      listen(Fd(s.m_fd), backlog) != 0))
        s.Close();
    return s;
}

Socket Socket::Connect(int port) {
    Socket s(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
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
    pollfd p{Fd(m_fd), POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0;
}

Socket Socket::Accept() const {
    return Socket(accept4(Fd(m_fd), nullptr, nullptr, SOCK_CLOEXEC));
}

long Socket::Receive(char* buffer, std::size_t size) const {
    return static_cast<long>(recv(Fd(m_fd), buffer, size, 0));
}

void Socket::Send(std::string_view bytes) const {
    while (!bytes.empty()) {
        const ssize_t n = send(Fd(m_fd), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void Socket::ShutdownWrite() const {
    shutdown(Fd(m_fd), SHUT_WR);
}

void Socket::Close() {
    if (m_fd != -1)
        close(Fd(m_fd));
    m_fd = -1;
}

} // namespace testsupport
