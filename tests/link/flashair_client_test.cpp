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

namespace {

const std::string kBoundary(24, '=');

// The body the card receives, written out piece by piece.
std::string ExpectedBody(const std::string& name, const std::string& data) {
    return "--" + kBoundary + "\r\n" +
           "Content-Disposition: form-data; name=\"upload.cgi\";filename=\"" + name + "\"\r\n" +
           "--" + kBoundary + "\r\n" + "\r\n" + data + "\r\n--" + kBoundary + "--\r\n";
}

std::string RecordBytes() {
    return linktest::Bytes({0xFF, 0xFF, 0x7B, 0, 6, 0, 0x19, 0, 0, 0, 0, 0, 0, 0, 0, 0});
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

class FlashAirClientTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        testsupport::WriteFile(m_card.Path() + "/ADDON/.keep", "");
    }
    testsupport::TempDir m_card;
};

} // namespace

TEST(FlashAirBodyTest, SixPieces) {
    const std::string record = RecordBytes();
    const std::string body = BuildFlashAirBody("ADDON\\REMOTE.LOG", record.data(), record.size());
    EXPECT_EQ(body, ExpectedBody("ADDON\\REMOTE.LOG", record));
    EXPECT_EQ(body.size(), 185u);
    const std::string clip = Clip(1000);
    EXPECT_EQ(BuildFlashAirBody("TEMP.wav", clip.data(), clip.size()).size(), 1161u);
    EXPECT_EQ(BuildFlashAirBody("TEMP.TM4", clip.data(), clip.size()).size(), 1161u);
    EXPECT_EQ(BuildFlashAirBody("ADDON\\REMOTE.LOG", clip.data(), clip.size()).size(), 1169u);
    EXPECT_EQ(BuildFlashAirBody("X", nullptr, 0).size(), 28u + 64u + 28u + 2u + 32u);
}

TEST_F(FlashAirClientTest, RecordUploadIsByteExact) {
    CardProcess card(m_card.Path());
    const std::string record = RecordBytes();
    ASSERT_TRUE(PutFlashAirFile(card.Host(), "ADDON\\REMOTE.LOG", record.data(), record.size(),
                                true, true));

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
    EXPECT_EQ(post.HeaderNames(),
              (std::vector<std::string>{"Host", "User-Agent", "Content-Type", "Content-Length"}));
    EXPECT_EQ(post.Header("Host"), card.Host());
    EXPECT_EQ(post.Header("User-Agent"), platform::ApplicationName());
    EXPECT_EQ(post.Header("Content-Type"), "multipart/form-data;boundary=" + kBoundary);
    EXPECT_EQ(post.Header("Content-Length"), "185");
    EXPECT_FALSE(post.Header("Accept"));
    EXPECT_FALSE(post.Header("Expect"));
    EXPECT_EQ(post.body.size(), 185u);
    EXPECT_EQ(post.body, ExpectedBody("ADDON\\REMOTE.LOG", record));

    // The raw request: the extra header is 67 characters long.
    const std::string raw = card.RawLog();
    EXPECT_NE(
        raw.find("\r\nContent-Type: multipart/form-data;boundary=========================\r\n"),
        std::string::npos);

    // The card keeps the part after the backslash, in the folder of the GET.
    EXPECT_EQ(card.CardFile("ADDON/REMOTE.LOG"), record);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(HttpLines(),
              (std::vector<std::string>{"http get http://" + card.Host() +
                                            "/upload.cgi?UPDIR=/ADDON -> \"SUCCESS\"",
                                        "http post http://" + card.Host() +
                                            "/upload.cgi name=ADDON\\REMOTE.LOG size=16 -> ok"}));
    EXPECT_EQ(card.OutputLines(2),
              (std::vector<std::string>{"GET /upload.cgi?UPDIR=/ADDON -> SUCCESS folder=/ADDON",
                                        "POST /upload.cgi -> stored ADDON/REMOTE.LOG size=16"}));
}

TEST_F(FlashAirClientTest, ThousandByteClipGivesElevenSixtyOneBytes) {
    CardProcess card(m_card.Path());
    const std::string clip = Clip(1000);
    ASSERT_TRUE(PutFlashAirFile(card.Host(), "TEMP.wav", clip.data(), clip.size(), true, true));
    ASSERT_TRUE(PutFlashAirFile(card.Host(), "TEMP.TM4", clip.data(), clip.size(), true, true));
    const auto requests = card.Requests();
    ASSERT_EQ(requests.size(), 4u);
    for (std::size_t i : {1u, 3u}) {
        EXPECT_EQ(requests[i].requestLine, "POST /upload.cgi HTTP/1.0");
        EXPECT_EQ(requests[i].Header("Content-Length"), "1161");
        EXPECT_EQ(requests[i].body.size(), 1161u);
    }
    EXPECT_EQ(requests[1].body, ExpectedBody("TEMP.wav", clip));
    EXPECT_EQ(requests[3].body, ExpectedBody("TEMP.TM4", clip));
    EXPECT_EQ(card.CardFile("ADDON/TEMP.wav"), clip);
    EXPECT_EQ(card.CardFile("ADDON/TEMP.TM4"), clip);
    EXPECT_EQ(HttpLines()[1],
              "http post http://" + card.Host() + "/upload.cgi name=TEMP.wav size=1000 -> ok");
}

TEST_F(FlashAirClientTest, LargeFileGoesInOneBody) {
    CardProcess card(m_card.Path());
    const std::string clip = Clip(3 * 1024 * 1024 + 17);
    ASSERT_TRUE(PutFlashAirFile(card.Host(), "TEMP.wav", clip.data(), clip.size(), true, true));
    const auto requests = card.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_FALSE(requests[1].Header("Expect"));
    EXPECT_EQ(requests[1].body.size(), clip.size() + 161);
    EXPECT_EQ(card.CardFile("ADDON/TEMP.wav"), clip);
}

TEST_F(FlashAirClientTest, WithoutAddonFlagTheFolderIsTheRoot) {
    CardProcess card(m_card.Path());
    const std::string data = "abc";
    ASSERT_TRUE(PutFlashAirFile(card.Host(), "TEMP.wav", data.data(), data.size(), false, true));
    const auto requests = card.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].requestLine, "GET /upload.cgi?UPDIR=/ HTTP/1.1");
    EXPECT_EQ(card.CardFile("TEMP.wav"), data);
}

TEST_F(FlashAirClientTest, SuccessFollowedByMoreTextIsAccepted) {
    FakeServer server(FakeServer::Mode::Reply, HttpReply("SUCCESS\r\n<html>and more text</html>"));
    const std::string data = "x";
    EXPECT_TRUE(PutFlashAirFile(server.Host(), "TEMP.wav", data.data(), 1, true, true));
    EXPECT_EQ(server.Connections(), 2);
    // Only the first 16 bytes of the reply are kept.
    EXPECT_EQ(HttpLines()[0], "http get http://" + server.Host() +
                                  "/upload.cgi?UPDIR=/ADDON -> \"SUCCESS\\x0D\\x0A<html>a\"");
    const auto requests = server.RawRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].rfind("POST /upload.cgi HTTP/1.0\r\n", 0), 0u);
}

TEST_F(FlashAirClientTest, LowerCaseSuccessStopsBeforeThePost) {
    FakeServer server(FakeServer::Mode::Reply, HttpReply("success"));
    const std::string data = "x";
    EXPECT_FALSE(PutFlashAirFile(server.Host(), "TEMP.wav", data.data(), 1, true, true));
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(HttpLines(), (std::vector<std::string>{"http get http://" + server.Host() +
                                                     "/upload.cgi?UPDIR=/ADDON -> \"success\""}));
}

TEST_F(FlashAirClientTest, EmptyReplyStopsBeforeThePost) {
    FakeServer server(FakeServer::Mode::Reply, HttpReply(""));
    const std::string data = "x";
    EXPECT_FALSE(PutFlashAirFile(server.Host(), "TEMP.wav", data.data(), 1, true, true));
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(HttpLines(), (std::vector<std::string>{"http get http://" + server.Host() +
                                                     "/upload.cgi?UPDIR=/ADDON -> \"\""}));
}

TEST_F(FlashAirClientTest, OtherRepliesStopBeforeThePost) {
    for (const std::string& reply : {HttpReply("SUCCES"), HttpReply("ERROR"),
                                     HttpReply("Not Found", 404), HttpReply(" SUCCESS")}) {
        FakeServer server(FakeServer::Mode::Reply, reply);
        const std::string data = "x";
        EXPECT_FALSE(PutFlashAirFile(server.Host(), "TEMP.wav", data.data(), 1, true, true));
        EXPECT_EQ(server.Connections(), 1);
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(FlashAirClientTest, ErrorStatusOfThePostIsStillSuccess) {
    FakeServer server(FakeServer::Mode::Reply,
                      "HTTP/1.1 500 Error\r\nConnection: close\r\n\r\nSUCCESS");
    const std::string data = "x";
    EXPECT_TRUE(PutFlashAirFile(server.Host(), "TEMP.wav", data.data(), 1, true, true));
    EXPECT_EQ(server.Connections(), 2);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(FlashAirClientTest, GetReplyKeepsAtMostTheCapacity) {
    FakeServer server(FakeServer::Mode::Reply, HttpReply(std::string(100000, 'S')));
    char reply[17];
    std::memset(reply, '#', sizeof reply);
    EXPECT_TRUE(HttpGetReply("http://" + server.Host() + "/x", reply, 16, true));
    EXPECT_EQ(std::string(reply, 16), std::string(16, 'S'));
    EXPECT_EQ(reply[16], '#'); // a full buffer gets no terminator

    FakeServer shortServer(FakeServer::Mode::Reply, HttpReply("OK"));
    std::memset(reply, '#', sizeof reply);
    EXPECT_TRUE(HttpGetReply("http://" + shortServer.Host() + "/x", reply, 16, true));
    EXPECT_EQ(std::string(reply, 3), std::string("OK\0", 3));
}

TEST_F(FlashAirClientTest, RefusedPortGivesOneMessageWithTheErrorText) {
    const std::string host = "127.0.0.1:" + std::to_string(linktest::RefusedPort());
    const std::string data = "x";
    EXPECT_FALSE(PutFlashAirFile(host, "TEMP.wav", data.data(), 1, true, true));
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    const std::string head = "message - none: FlashAirとの通信に失敗しました[";
    EXPECT_EQ(messages[0].rfind(head, 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find("Couldn't connect to server"), std::string::npos) << messages[0];
    EXPECT_EQ(messages[0].substr(messages[0].size() - 7), "] -> OK");
    // The same text, in the trace; no POST.
    const auto lines = HttpLines();
    ASSERT_EQ(lines.size(), 1u);
    const std::string traceHead = "http get http://" + host + "/upload.cgi?UPDIR=/ADDON -> error ";
    ASSERT_EQ(lines[0].rfind(traceHead, 0), 0u) << lines[0];
    const std::string text = lines[0].substr(traceHead.size());
    EXPECT_EQ(messages[0], head + text + "] -> OK");
}

TEST_F(FlashAirClientTest, FailedGetWithoutReportFlagIsSilent) {
    const std::string host = "127.0.0.1:" + std::to_string(linktest::RefusedPort());
    const std::string data = "x";
    EXPECT_FALSE(PutFlashAirFile(host, "TEMP.wav", data.data(), 1, true, false));
    EXPECT_TRUE(Messages().empty());
    ASSERT_EQ(HttpLines().size(), 1u);
}

TEST_F(FlashAirClientTest, FailedPostAlwaysShowsItsMessage) {
    // The card answers the GET and is gone for the POST.
    FakeServer server(FakeServer::Mode::ReplyOnce, HttpReply("SUCCESS"));
    const std::string data = "x";
    EXPECT_FALSE(PutFlashAirFile(server.Host(), "TEMP.wav", data.data(), 1, true, false));
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("message - none: FlashAirとの通信に失敗しました[", 0), 0u);
    const auto lines = HttpLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].rfind("http post http://" + server.Host() +
                                 "/upload.cgi name=TEMP.wav size=1 -> error ",
                             0),
              0u)
        << lines[1];
}

TEST_F(FlashAirClientTest, ServerThatNeverAnswersIsGivenUp) {
    SetHttpTimeouts(HttpTimeouts{2000, 1});
    FakeServer server(FakeServer::Mode::Silent);
    const std::string data = "x";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(PutFlashAirFile(server.Host(), "TEMP.wav", data.data(), 1, true, true));
    EXPECT_LT(SecondsSince(start), 10.0);
    EXPECT_EQ(server.Connections(), 1); // no POST
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("FlashAirとの通信に失敗しました[Operation too slow"),
              std::string::npos)
        << messages[0];
}

TEST_F(FlashAirClientTest, PostToServerThatNeverAnswersIsGivenUp) {
    SetHttpTimeouts(HttpTimeouts{2000, 1});
    FakeServer server(FakeServer::Mode::Silent);
    const std::string data = "x";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(HttpPostFile("http://" + server.Host() + "/upload.cgi", "TEMP.wav", data.data(),
                              data.size()));
    // The upload itself counts as progress in curl's speed window of about
    // five seconds, so the POST is given up a few seconds later than the GET.
    EXPECT_LT(SecondsSince(start), 15.0);
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(FlashAirClientTest, DefaultTimeouts) {
    const HttpTimeouts defaults;
    EXPECT_EQ(defaults.connectMs, 10000);
    EXPECT_EQ(defaults.lowSpeedSeconds, 30);
    EXPECT_EQ(GetHttpTimeouts().connectMs, 10000);
}

TEST_F(FlashAirClientTest, HostWithPortIsReachedThereForBothRequests) {
    CardProcess card(m_card.Path());
    const std::string host = "localhost:" + std::to_string(card.Port());
    const std::string data = "abc";
    ASSERT_TRUE(PutFlashAirFile(host, "TEMP.wav", data.data(), data.size(), true, true));
    const auto requests = card.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Header("Host"), host);
    EXPECT_EQ(requests[1].Header("Host"), host);
    EXPECT_EQ(card.CardFile("ADDON/TEMP.wav"), data);
}

TEST_F(FlashAirClientTest, BadHostIsATransportFailure) {
    const std::string data = "x";
    EXPECT_FALSE(PutFlashAirFile("", "TEMP.wav", data.data(), 1, true, true));
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_FALSE(PutFlashAirFile("bad host name", "TEMP.wav", data.data(), 1, true, true));
    EXPECT_EQ(Messages().size(), 2u);
}
