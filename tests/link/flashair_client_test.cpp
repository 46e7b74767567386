// The FlashAir HTTP client against the real voxlet-card on
// loopback, byte for byte, and against a small in-test server for the replies
// and failures the emulator does not give.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "link/flashair_client.h"
#include "link/link_fixture.h"
#include "platform/prompts.h"

using linktest::CardProcess;
using linktest::FakeServer;
using linktest::HttpReply;
using Lines = std::vector<std::string>;

namespace {

const std::string kBoundary(24, '=');
const std::string kFailureText = "FlashAirとの通信に失敗しました[";
const std::string kFailure = "message - none: " + kFailureText;

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

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Refused() {
    return "127.0.0.1:" + std::to_string(linktest::RefusedPort());
}

class FlashAirClientTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        testsupport::WriteFile(m_card.Path() + "/ADDON/.keep", "");
    }
    // Puts the bytes as TEMP.wav into ADDON.
    bool Put(const std::string& host, const std::string& data = "x", bool report = true) {
        return PutFlashAirFile(m_services, host, "TEMP.wav", data.data(), data.size(), true,
                               report);
    }
    testsupport::TempDir m_card;
};

} // namespace

TEST_F(FlashAirClientTest, RecordUploadIsByteExact) {
    CardProcess card(m_card.Path());
    const std::string record("\xFF\xFF\x7B\0\x06\0\x19\0\0\0\0\0\0\0\0\0", 16);
    ASSERT_TRUE(PutFlashAirFile(m_services, card.Host(), "ADDON\\REMOTE.LOG", record.data(),
                                record.size(), true, true));

    const auto requests = card.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const auto& get = requests[0];
    EXPECT_EQ(get.requestLine, "GET /upload.cgi?UPDIR=/ADDON HTTP/1.1");
    EXPECT_EQ(get.Header("Host"), card.Host());
    EXPECT_EQ(get.Header("User-Agent"), platform::ApplicationName());
    EXPECT_FALSE(get.Header("Accept-Encoding"));
    EXPECT_TRUE(get.body.empty());

    const auto& post = requests[1];
    EXPECT_EQ(post.requestLine, "POST /upload.cgi HTTP/1.0");
    EXPECT_EQ(post.Header("Content-Length"), "185");
    EXPECT_EQ(post.body, ExpectedBody("ADDON\\REMOTE.LOG", record));
    // The raw header: the extra header is 67 characters long.
    EXPECT_NE(card.RawLog().find(
                  "\r\nContent-Type: multipart/form-data;boundary=========================\r\n"),
              std::string::npos);

    // The card keeps the part after the backslash, in the folder of the GET.
    EXPECT_EQ(card.CardFile("ADDON/REMOTE.LOG"), record);
    EXPECT_TRUE(Messages().empty());
    const std::string url = "http://" + card.Host() + "/upload.cgi";
    EXPECT_EQ(HttpLines(), (Lines{"http get " + url + "?UPDIR=/ADDON -> \"SUCCESS\"",
                                  "http post " + url + " name=ADDON\\REMOTE.LOG size=16 -> ok"}));

    // Clips of any size (every byte value) go in one body; without the ADDON
    // flag the folder is the root.
    const std::string clip = Clip(3 * 1024 * 1024 + 17);
    ASSERT_TRUE(PutFlashAirFile(m_services, card.Host(), "TEMP.wav", clip.data(), clip.size(),
                                false, true));
    EXPECT_EQ(card.Requests()[2].requestLine, "GET /upload.cgi?UPDIR=/ HTTP/1.1");
    EXPECT_FALSE(card.Requests()[3].Header("Expect"));
    EXPECT_EQ(card.Requests()[3].body, ExpectedBody("TEMP.wav", clip));
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
    const std::string host = Refused();
    EXPECT_FALSE(Put(host));
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Couldn't connect to server"), std::string::npos) << messages[0];
    // The same text, in the trace; no POST.
    const auto lines = HttpLines();
    ASSERT_EQ(lines.size(), 1u);
    const std::string traceHead = "http get http://" + host + "/upload.cgi?UPDIR=/ADDON -> error ";
    ASSERT_EQ(lines[0].rfind(traceHead, 0), 0u) << lines[0];
    // The message names the card as the settings write it.
    EXPECT_EQ(messages[0], kFailure + host + ": " + lines[0].substr(traceHead.size()) + "] -> OK");
    // Without the report flag, a failed GET shows nothing.
    m_log.clear();
    EXPECT_FALSE(Put(host, "x", false));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(HttpLines().size(), 1u);
    EXPECT_FALSE(Put("bad host name")); // a transport failure too
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(FlashAirClientTest, FailedPostAlwaysShowsItsMessage) {
    // The card answers the GET and is gone for the POST.
    FakeServer server(FakeServer::Mode::ReplyOnce, HttpReply("SUCCESS"));
    EXPECT_FALSE(Put(server.Host(), "x", false));
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind(kFailure, 0), 0u);
    const auto lines = HttpLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].rfind("http post http://" + server.Host() +
                                 "/upload.cgi name=TEMP.wav size=1 -> error ",
                             0),
              0u)
        << lines[1];
}

TEST_F(FlashAirClientTest, ServerThatNeverAnswersIsGivenUp) {
    m_http.SetTimeouts(platform::HttpTimeouts{2000, 1});
    FakeServer server(FakeServer::Mode::Silent);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Put(server.Host()));
    EXPECT_LT(SecondsSince(start), 10.0);
    EXPECT_EQ(server.Connections(), 1); // no POST
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find(kFailureText + server.Host() + ": Operation too slow"),
              std::string::npos)
        << Messages()[0];
}
