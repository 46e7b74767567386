// Helpers of the robot-link tests: a player in a temporary working folder with
// a settings file, headless prompts and the HTTP trace in one log; a real
// voxlet-card process on loopback; a tiny in-test HTTP server for replies the
// card emulator does not give; and a parser for raw HTTP request logs.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/system_http.h"
#include "support/card_process.h"
#include "support/loopback.h"
#include "support/player_fixture.h"

namespace linktest {

// "FF FF 7B 00 ...", for comparing records.
std::string Hex(std::string_view bytes);
// A valid WAV whose header gives the RIFF chunk size and the byte rate.
std::string Clip(std::int32_t chunkSize = 352836, std::int32_t byteRate = 176400);

using testsupport::CardProcess;

// A server thread on 127.0.0.1 for replies that voxlet-card never gives.
class FakeServer {
public:
    enum class Mode {
        Reply,     // reads a request, sends the reply bytes, closes
        ReplyOnce, // the same for the first connection, then stops listening
    };
    FakeServer(Mode mode, std::string reply = {});
    ~FakeServer();
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    int Port() const { return m_port; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    int Connections() const { return m_connections.load(); }

private:
    void Run();
    Mode m_mode;
    std::string m_reply;
    testsupport::Socket m_listen; // closed by the server thread in ReplyOnce mode
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::thread m_thread;
};

// A port on 127.0.0.1 where nothing listens.
int RefusedPort();

// The start of the message of a failed exchange, before the card's address.
inline const std::string kFailure = "message - none: FlashAirとの通信に失敗しました[";

// What the system's transport says of a refused connection, of one not made
// in time, and of a reply that does not come in time (libcurl's texts, or
// WinINet's).
std::string RefusedText();
std::string ConnectTimeOutText();
std::string TooSlowText();

// An HTTP response with a body, as a FakeServer reply.
std::string HttpReply(std::string_view body, int status = 200);

// Sends raw bytes to 127.0.0.1:port, half-closes when shutdownWrite, and
// returns everything read until the server closes (at most timeoutMs).
std::string RawExchange(int port, std::string_view request, bool shutdownWrite = false,
                        int timeoutMs = 5000);

// The lines of the log that start with the prefix.
std::vector<std::string> LinesStartingWith(const std::vector<std::string>& log,
                                           std::string_view prefix);

} // namespace linktest

class LinkTest : public PlayerTest {
protected:
    void SetUp() override;

    // A player constructed now (the log of its construction is dropped).
    CVoicePlayer& Player();
    // The messages of the headless prompts, and the HTTP trace lines.
    std::vector<std::string> Messages() const {
        return linktest::LinesStartingWith(m_log, "message ");
    }
    std::vector<std::string> HttpLines() const {
        return linktest::LinesStartingWith(m_log, "http ");
    }

    // The system's transport, as the programs have it, in this test only.
    std::unique_ptr<platform::HttpTransport> m_http = platform::NewSystemHttpTransport();
};
