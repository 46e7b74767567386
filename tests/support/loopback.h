// TCP on 127.0.0.1 for the tests' own servers and clients, over the system's
// sockets (loopback.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace testsupport {

class Socket {
public:
    Socket() = default;
    ~Socket() { Close(); }
    Socket(Socket&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    Socket& operator=(Socket&& other) noexcept {
        if (this != &other) {
            Close();
            m_fd = other.m_fd;
            other.m_fd = -1;
        }
        return *this;
    }

    // Listening on a free port, with room for `backlog` connections that are
    // not yet accepted (the system may add one); invalid when that fails.
    static Socket Listen(int backlog = 8);
    // A connection to the port (invalid when refused).
    static Socket Connect(int port);

    bool Valid() const { return m_fd != -1; }
    int Port() const; // the local port
    // True once, within timeoutMs, a connection waits or bytes (or the peer's
    // close) can be read.
    bool Readable(int timeoutMs) const;
    Socket Accept() const;
    // The bytes read: 0 when the peer has closed, below 0 on an error.
    long Receive(char* buffer, std::size_t size) const;
    // Sends every byte, or stops at the first failure.
    void Send(std::string_view bytes) const;
    void ShutdownWrite() const;
    void Close();

private:
    explicit Socket(std::intptr_t fd) : m_fd(fd) {}
    std::intptr_t m_fd = -1;
};

} // namespace testsupport
