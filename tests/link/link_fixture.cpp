#include "link/link_fixture.h"

#include <chrono>
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
    for (unsigned char c : bytes)
        out += (out.empty() ? "" : " ") +
               std::string{"0123456789ABCDEF"[c >> 4], "0123456789ABCDEF"[c & 15]};
    return out;
}

platform::HttpResult FakeTransport::Next(std::string exchange) {
    sent.push_back(std::move(exchange));
    if (replies.empty())
        return platform::HttpResult{false, "", "an exchange too many"};
    const platform::HttpResult next = replies.front();
    replies.pop_front();
    return next;
}

std::future<int> Serve(const Socket& listener, std::string reply) {
    return std::async(std::launch::async, [&listener, reply = std::move(reply)] {
        int answered = 0;
        for (; listener.Readable(1000); ++answered) {
            const Socket client = listener.Accept();
            std::string request;
            ReadUntil(client, request, Clock::now() + std::chrono::seconds(3), RequestComplete);
            client.Send(reply);
            client.ShutdownWrite();
            std::string sink; // until the client closes
            ReadUntil(client, sink, Clock::now() + std::chrono::milliseconds(500));
        }
        return answered;
    });
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

} // namespace linktest

void LinkTest::SetUp() {
    PlayerTest::SetUp();
    m_services.http = m_http.get();
    m_services.httpTrace = [this](const std::string& l) { m_log.push_back(l); };
}

std::vector<std::string> LinkTest::LogLines(std::string_view prefix) const {
    std::vector<std::string> out;
    for (const auto& line : m_log)
        if (line.starts_with(prefix))
            out.push_back(line);
    return out;
}

CVoicePlayer& LinkTest::Player() {
    if (!m_player) {
        PlayerTest::Player();
        m_log.clear(); // the catalogue messages of the construction do not matter here
    }
    return *m_player;
}
