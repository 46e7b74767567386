// The FlashAir client over the system's transport: against the real
// voxlet-card on loopback, and against a small in-test server or none for
// what the emulator does not give.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

#include "link/flashair_client.h"
#include "link/link_fixture.h"

using linktest::kFailure;

TEST_F(LinkTest, ALargeClipGoesInOneBodyIntoTheFolderAsked) {
    const testsupport::TempDir root;
    linktest::CardProcess card(root.Path());
    // Every byte value, CR and LF included; without the ADDON flag the folder is the root.
    std::string clip(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < clip.size(); ++i)
        clip[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    ASSERT_TRUE(PutFlashAirFile(m_services, card.Host(), "TEMP.wav", clip.data(), clip.size(),
                                false, true));
    const std::string log = card.RawLog();
    EXPECT_TRUE(log.starts_with("GET /upload.cgi?UPDIR=/ HTTP/1.1\r\n")) << log.substr(0, 40);
    EXPECT_TRUE(
        log.ends_with("\r\n\r\n" + BuildFlashAirBody("TEMP.wav", clip.data(), clip.size())));
    EXPECT_EQ(log.find("Expect:"), std::string::npos);
    EXPECT_EQ(card.CardFile("TEMP.wav"), clip);
}

TEST_F(LinkTest, TransportFailuresAndStatusesAsTheClientSeesThem) {
    // The status is not looked at, and a folder reply longer than asked for
    // counts, cut off: the POST goes.
    const auto listener = testsupport::Socket::Listen();
    auto answered =
        linktest::Serve(listener, "HTTP/1.1 500 Error\r\nConnection: close\r\n\r\nSUCCESS" +
                                      std::string(100000, 'S'));
    const std::string server = "127.0.0.1:" + std::to_string(listener.Port());
    EXPECT_TRUE(PutFlashAirFile(m_services, server, "TEMP.wav", "x", 1, true, true));
    EXPECT_EQ(answered.get(), 2);
    EXPECT_EQ(HttpLines().front(), "http get http://" + server + "/upload.cgi?UPDIR=/ADDON -> \"" +
                                       "SUCCESS" + std::string(9, 'S') + "\"");
    // A refused connection (a port whose listener is gone): one message that names the card as the
    // settings write it, then the transport's text.
    const std::string host = "127.0.0.1:" + std::to_string(testsupport::Socket::Listen().Port());
    EXPECT_FALSE(PutFlashAirFile(m_services, host, "TEMP.wav", "x", 1, true, true));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].starts_with(kFailure + host + ": ")) << Messages()[0];
    EXPECT_TRUE(Messages()[0].ends_with(testsupport::WindowsBuild()
                                            ? "The attempt to connect to the server failed.] -> OK"
                                            : "Couldn't connect to server] -> OK"))
        << Messages()[0];
    EXPECT_FALSE(PutFlashAirFile(m_services, "bad host name", "TEMP.wav", "x", 1, true, true));
    EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(LinkTest, AConnectionNotMadeGivesUpAtTheConnectTimeOut) {
    if (testsupport::UnderWine()) // measured: 135 s, the system's own limit, with 1 s set
        GTEST_SKIP() << "Wine's WinINet ignores INTERNET_OPTION_CONNECT_TIMEOUT";
    // A listener whose queue of connections not yet accepted is full: the
    // system drops further connection requests, so a connect hangs.
    auto listener = testsupport::Socket::Listen(0);
    const auto queued = testsupport::Socket::Connect(listener.Port());
    const std::string url = "http://127.0.0.1:" + std::to_string(listener.Port()) + "/";
    // Every other limit (30 s, 60 s) lies beyond a 20 s guard against a hang:
    // only the connect time-out ends the wait before it.
    m_http->SetTimeouts(platform::HttpTimeouts{1000});
    auto get = std::async(std::launch::async, [&] { return m_http->Get(url, 16); });
    const bool returned = get.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    if (!returned)
        listener.Close(); // refused from now on: the transport waited on
    const platform::HttpResult result = get.get();
    EXPECT_TRUE(returned) << "the connect time-out did not end the wait";
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find(testsupport::WindowsBuild() ? "The operation timed out"
                                                            : "Timeout was reached"),
              std::string::npos)
        << result.error;
}

TEST_F(LinkTest, APeerThatTricklesFailsAtTheExchangesDeadline) {
    // Headers a byte every 100 ms, for ever: fast enough for the stall
    // time-outs. The peer stops when the client goes or the test is over (a
    // 20 s guard against a hang).
    const auto listener = testsupport::Socket::Listen();
    std::atomic<bool> over = false;
    auto peer = std::async(std::launch::async, [&] {
        const auto client = listener.Readable(20000) ? listener.Accept() : testsupport::Socket();
        std::string request;
        for (char c; request.find("\r\n\r\n") == std::string::npos && client.Readable(5000) &&
                     client.Receive(&c, 1) == 1;)
            request += c;
        const std::string head = "HTTP/1.1 200 OK\r\n", line = "X: y\r\n";
        for (std::size_t i = 0; i < 200 && !over && !client.Readable(100); ++i)
            client.Send(i < head.size() ? head.substr(i, 1)
                                        : line.substr((i - head.size()) % line.size(), 1));
    });
    m_http->SetTimeouts(platform::HttpTimeouts{10000, 30, 1000, 0});
    const auto result =
        m_http->Get("http://127.0.0.1:" + std::to_string(listener.Port()) + "/", 16);
    over = true;
    peer.get();
    EXPECT_FALSE(result.ok);
    // libcurl's "Operation timed out after N milliseconds ...", the system's text for
    // ERROR_INTERNET_TIMEOUT ("The operation timed out"; Wine: "The request has timed out.").
    EXPECT_NE(result.error.find(" timed out"), std::string::npos) << result.error;
}
