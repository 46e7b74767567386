// The FlashAir HTTP client against the real voxlet-card on
// loopback, byte for byte, and against a small in-test server for the replies
// and failures the emulator does not give.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>

#include "link/flashair_client.h"
#include "link/link_fixture.h"
#include "platform/prompts.h"

using linktest::CardProcess;
using linktest::FakeServer;
using linktest::HttpReply;
using linktest::kFailure;

namespace {

const std::string kBoundary(24, '=');

// The body the card receives, written out piece by piece.
std::string ExpectedBody(const std::string& name, const std::string& data) {
    return "--" + kBoundary + "\r\n" +
           "Content-Disposition: form-data; name=\"upload.cgi\";filename=\"" + name + "\"\r\n" +
           "--" + kBoundary + "\r\n" + "\r\n" + data + "\r\n--" + kBoundary + "--\r\n";
}

std::string Clip(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 7 + 3) & 0xFF); // every byte value, CR and LF included
    return data;
}

class FlashAirClientTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        testsupport::WriteFile(m_card.Path() + "/ADDON/.keep", "");
    }
    // Puts "x" as TEMP.wav into ADDON.
    bool Put(const std::string& host) {
        return PutFlashAirFile(m_services, host, "TEMP.wav", "x", 1, true, true);
    }
    testsupport::TempDir m_card;
};

} // namespace

TEST_F(FlashAirClientTest, RecordUploadIsByteExact) {
    CardProcess card(m_card.Path());
    const std::string record("\xFF\xFF\x7B\0\x06\0\x19\0\0\0\0\0\0\0\0\0", 16);
    ASSERT_TRUE(PutFlashAirFile(m_services, card.Host(), "ADDON\\REMOTE.LOG", record.data(),
                                record.size(), true, true));
    // Both requests as the card received them; the extra header is 67 characters long.
    const std::string head =
        "Host: " + card.Host() + "\r\nUser-Agent: " + platform::ApplicationName() + "\r\n";
    // WinINet orders the headers its own way and adds Cache-Control: the
    // FlashAir scenarios hold it to these bytes header by header.
    if (!testsupport::WindowsBuild()) {
        EXPECT_EQ(card.RawLog(), "GET /upload.cgi?UPDIR=/ADDON HTTP/1.1\r\n" + head +
                                     "Accept: */*\r\n\r\nPOST /upload.cgi HTTP/1.0\r\n" + head +
                                     "Content-Type: multipart/form-data;boundary=" + kBoundary +
                                     "\r\nContent-Length: 185\r\n\r\n" +
                                     ExpectedBody("ADDON\\REMOTE.LOG", record));
    }
    // The card keeps the part after the backslash, in the folder of the GET.
    EXPECT_EQ(card.CardFile("ADDON/REMOTE.LOG"), record);

    // Clips of any size (every byte value) go in one body; without the ADDON
    // flag the folder is the root.
    const std::string clip = Clip(3 * 1024 * 1024 + 17);
    ASSERT_TRUE(PutFlashAirFile(m_services, card.Host(), "TEMP.wav", clip.data(), clip.size(),
                                false, true));
    const std::string log = card.RawLog();
    EXPECT_NE(log.find("GET /upload.cgi?UPDIR=/ HTTP/1.1\r\n"), std::string::npos);
    EXPECT_TRUE(log.ends_with("\r\n\r\n" + ExpectedBody("TEMP.wav", clip)));
    EXPECT_EQ(log.find("Expect:"), std::string::npos);
    EXPECT_EQ(card.CardFile("TEMP.wav"), clip);
}

TEST_F(FlashAirClientTest, OnlyAFolderReplyStartingWithSuccessLetsThePostGo) {
    const struct {
        std::string reply;
        bool posted;
        std::string traced; // the folder reply as the trace shows it
    } cases[] = {
        // Only the first 16 bytes of the reply are kept.
        {HttpReply("SUCCESS\r\n<html>and more text</html>"), true, "\"SUCCESS\\x0D\\x0A<html>a\""},
        // The status is not looked at.
        {"HTTP/1.1 500 Error\r\nConnection: close\r\n\r\nSUCCESS", true, "\"SUCCESS\""},
        {HttpReply("success"), false, "\"success\""},
        {HttpReply("SUCCES"), false, "\"SUCCES\""},
        {HttpReply(" SUCCESS", 404), false, "\" SUCCESS\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        m_log.clear();
        FakeServer server(FakeServer::Mode::Reply, c.reply);
        EXPECT_EQ(Put(server.Host()), c.posted);
        EXPECT_EQ(server.Connections(), c.posted ? 2 : 1);
        EXPECT_TRUE(Messages().empty());
        const auto lines = HttpLines();
        ASSERT_EQ(lines.size(), c.posted ? 2u : 1u);
        EXPECT_EQ(lines[0],
                  "http get http://" + server.Host() + "/upload.cgi?UPDIR=/ADDON -> " + c.traced);
    }
}

TEST_F(FlashAirClientTest, GetReplyKeepsAtMostTheCapacity) {
    FakeServer server(FakeServer::Mode::Reply, HttpReply(std::string(100000, 'S')));
    char reply[17];
    std::memset(reply, '#', sizeof reply);
    EXPECT_TRUE(HttpGetReply(m_services, "http://" + server.Host() + "/x", reply, 16, true));
    EXPECT_EQ(std::string(reply, 16), std::string(16, 'S'));
    EXPECT_EQ(reply[16], '#'); // a full buffer gets no terminator
}

TEST_F(FlashAirClientTest, RefusedPortGivesOneMessageWithTheErrorText) {
    const std::string host = "127.0.0.1:" + std::to_string(linktest::RefusedPort());
    EXPECT_FALSE(Put(host));
    ASSERT_EQ(Messages().size(), 1u);
    // The message names the card as the settings write it, then the transport's text.
    EXPECT_EQ(Messages()[0].rfind(kFailure + host + ": ", 0), 0u) << Messages()[0];
    EXPECT_TRUE(Messages()[0].ends_with(linktest::RefusedText() + "] -> OK")) << Messages()[0];
    EXPECT_FALSE(Put("bad host name")); // a transport failure too
    EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(FlashAirClientTest, AConnectionNotMadeGivesUpAtTheConnectTimeOut) {
    if (testsupport::UnderWine()) // measured: 135 s, the system's own limit, with 1 s set
        GTEST_SKIP() << "Wine's WinINet ignores INTERNET_OPTION_CONNECT_TIMEOUT";
    // A listener whose queue of connections not yet accepted is full: the
    // system drops further connection requests, so a connect hangs.
    auto listener = testsupport::Socket::Listen(0);
    const auto queued = testsupport::Socket::Connect(listener.Port());
    const std::string url = "http://127.0.0.1:" + std::to_string(listener.Port()) + "/";
    m_http->SetTimeouts(platform::HttpTimeouts{1000, 5});
    const auto start = std::chrono::steady_clock::now();
    auto get = std::async(std::launch::async, [&] { return m_http->Get(url, 16); });
    if (get.wait_for(std::chrono::seconds(8)) != std::future_status::ready)
        listener.Close(); // refused from now on: the transport waited on
    const platform::HttpResult result = get.get();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find(linktest::ConnectTimeOutText()), std::string::npos) << result.error;
    // Not before the connect time-out, and well before the transfer's.
    EXPECT_GE(took.count(), 0.9);
    EXPECT_LT(took.count(), 3.0);
}
