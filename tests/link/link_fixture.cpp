#include "link/link_fixture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "link/flashair_client.h"

namespace linktest {

namespace {

using Clock = std::chrono::steady_clock;
using testsupport::Socket;

// Appends what the socket delivers until done(out) holds, the peer closes or the time is up.
void ReadUntil(const Socket& s, std::string& out, Clock::time_point until,
               const std::function<bool(const std::string&)>& done = {}) {
    while (!(done && done(out))) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0 || !s.Readable(static_cast<int>(left)))
            return;
        char buf[4096];
        const long n = s.Receive(buf, sizeof buf);
        if (n <= 0)
            return;
        out.append(buf, static_cast<std::size_t>(n));
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

FakeServer::FakeServer(Mode mode, std::string reply)
    : m_mode(mode), m_reply(std::move(reply)), m_listen(Socket::Listen()) {
    if (!m_listen.Valid())
        throw std::runtime_error("cannot listen");
    m_port = m_listen.Port();
    m_thread = std::thread([this] { Run(); });
}

FakeServer::~FakeServer() {
    m_stop = true;
    m_thread.join();
}

void FakeServer::Run() {
    while (!m_stop) {
        if (!m_listen.Valid()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        if (!m_listen.Readable(20))
            continue;
        const Socket client = m_listen.Accept();
        if (!client.Valid())
            continue;
        ++m_connections;
        std::string request;
        ReadUntil(client, request, Clock::now() + std::chrono::seconds(3), RequestComplete);
        if (m_mode == Mode::ReplyOnce)
            m_listen.Close(); // before replying, so that the next request is refused
        client.Send(m_reply);
        client.ShutdownWrite();
        std::string sink; // until the client closes
        ReadUntil(client, sink, Clock::now() + std::chrono::milliseconds(500));
    }
}

int RefusedPort() {
    return Socket::Listen().Port();
}

std::string RefusedText() {
    return testsupport::WindowsBuild() ? "The attempt to connect to the server failed."
                                       : "Couldn't connect to server";
}

std::string ConnectTimeOutText() {
    return testsupport::WindowsBuild() ? "The operation timed out" : "Timeout was reached";
}

std::string TooSlowText() {
    // Wine's WinINet reports a receive time-out as the end of the connection
    // (Windows: "The operation timed out").
    return testsupport::WindowsBuild() ? "The connection with the server has been terminated."
                                       : "Operation too slow";
}

std::string HttpReply(std::string_view body, int status) {
    return "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Error") +
           "\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n" + std::string(body);
}

std::string RawExchange(int port, std::string_view request, bool shutdownWrite, int timeoutMs) {
    const Socket s = Socket::Connect(port);
    if (!s.Valid())
        return "<connect failed>";
    s.Send(request);
    if (shutdownWrite)
        s.ShutdownWrite();
    std::string reply;
    ReadUntil(s, reply, Clock::now() + std::chrono::milliseconds(timeoutMs));
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
    // Requests to the loopback cards must not go through a proxy (libcurl's
    // settings; WinINet is told to go direct).
    for (const char* setting :
         {"http_proxy=", "HTTP_PROXY=", "all_proxy=", "ALL_PROXY=", "no_proxy=*"})
        putenv(const_cast<char*>(setting));
    PlayerTest::SetUp();
    m_services.http = m_http.get();
    m_services.httpTrace = [this](const std::string& l) { m_log.push_back(l); };
}

CVoicePlayer& LinkTest::Player() {
    if (!m_player) {
        PlayerTest::Player();
        m_log.clear(); // the catalogue messages of the construction do not matter here
    }
    return *m_player;
}
