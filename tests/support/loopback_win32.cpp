#include "support/loopback.h"

#include <winsock2.h>

namespace testsupport {

namespace {

sockaddr_in Loopback(int port) {
    // Winsock is started once, before the first socket.
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<u_short>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

SOCKET Fd(std::intptr_t fd) {
    return static_cast<SOCKET>(fd);
}

std::intptr_t Id(SOCKET s) {
    return s == INVALID_SOCKET ? -1 : static_cast<std::intptr_t>(s);
}

} // namespace

Socket Socket::Listen(int backlog) {
    sockaddr_in addr = Loopback(0);
    Socket s(
        Id(WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT)));
    if (s.Valid() && (bind(Fd(s.m_fd), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
                      listen(Fd(s.m_fd), backlog) != 0))
        s.Close();
    return s;
}

Socket Socket::Connect(int port) {
    sockaddr_in addr = Loopback(port);
    Socket s(
        Id(WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT)));
    if (s.Valid() && connect(Fd(s.m_fd), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        s.Close();
    return s;
}

int Socket::Port() const {
    sockaddr_in addr{};
    int len = sizeof addr;
    getsockname(Fd(m_fd), reinterpret_cast<sockaddr*>(&addr), &len);
    return ntohs(addr.sin_port);
}

bool Socket::Readable(int timeoutMs) const {
    WSAPOLLFD p{Fd(m_fd), POLLRDNORM, 0};
    return WSAPoll(&p, 1, timeoutMs) > 0;
}

Socket Socket::Accept() const {
    return Socket(Id(accept(Fd(m_fd), nullptr, nullptr)));
}

long Socket::Receive(char* buffer, std::size_t size) const {
    return recv(Fd(m_fd), buffer, static_cast<int>(size), 0);
}

void Socket::Send(std::string_view bytes) const {
    while (!bytes.empty()) {
        const int n = send(Fd(m_fd), bytes.data(), static_cast<int>(bytes.size()), 0);
        if (n <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void Socket::ShutdownWrite() const {
    shutdown(Fd(m_fd), SD_SEND);
}

void Socket::Close() {
    if (m_fd != -1)
        closesocket(Fd(m_fd));
    m_fd = -1;
}

} // namespace testsupport
