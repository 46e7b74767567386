// Helpers of the robot-link tests: a player in a temporary working folder with
// a settings file, headless prompts and the HTTP trace in one log; a real
// voxlet-card process on loopback; an in-memory transport; and a tiny in-test
// HTTP server for replies the card emulator does not give.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <future>
#include <string>
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

// Records each exchange ("GET url capacity", "POST url type\nbody") and
// answers with the next canned result.
struct FakeTransport final : platform::HttpTransport {
    platform::HttpResult Get(const std::string& url, std::size_t capacity) override {
        return Next("GET " + url + " " + std::to_string(capacity));
    }
    platform::HttpResult Post(const std::string& url, const std::string& type,
                              const std::string& body) override {
        return Next("POST " + url + " " + type + "\n" + body);
    }
    platform::HttpResult Next(std::string exchange);
    std::deque<platform::HttpResult> replies;
    std::vector<std::string> sent;
};

// Answers each connection to the listener with the reply, until none comes
// for a second; gives the number answered.
std::future<int> Serve(const testsupport::Socket& listener, std::string reply);

// The start of the message of a failed exchange, before the card's address.
inline const std::string kFailure = "message - none: FlashAirとの通信に失敗しました[";

// Sends raw bytes to 127.0.0.1:port, half-closes when shutdownWrite, and
// returns everything read until the server closes (at most timeoutMs).
std::string RawExchange(int port, std::string_view request, bool shutdownWrite = false,
                        int timeoutMs = 5000);

} // namespace linktest

class LinkTest : public PlayerTest {
protected:
    void SetUp() override;

    // A player constructed now (the log of its construction is dropped).
    CVoicePlayer& Player();
    // The lines of the log that start with "message " (the headless prompts)
    // or with "http " (the HTTP trace).
    std::vector<std::string> LogLines(std::string_view prefix) const;
    std::vector<std::string> Messages() const { return LogLines("message "); }
    std::vector<std::string> HttpLines() const { return LogLines("http "); }

    // The system's transport, as the programs have it, in this test only.
    std::unique_ptr<platform::HttpTransport> m_http = platform::NewSystemHttpTransport();
};
