// The card emulator itself: what it stores, what it refuses, and that garbage,
// huge, truncated or silent clients cannot make it write outside its root or
// stop serving.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "link/flashair_client.h"
#include "link/link_fixture.h"

using linktest::CardProcess;
using linktest::RawExchange;

namespace {

class VoxletCardTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("http_proxy");
        setenv("no_proxy", "*", 1);
        std::filesystem::create_directories(m_card.Path() + "/ADDON");
    }
    std::string Get(CardProcess& card, const std::string& target) {
        return RawExchange(card.Port(), "GET " + target + " HTTP/1.1\r\nHost: x\r\n\r\n");
    }
    std::string Post(CardProcess& card, const std::string& contentType, const std::string& body,
                     const std::string& extraHeaders = "") {
        return RawExchange(card.Port(),
                           "POST /upload.cgi HTTP/1.1\r\nHost: x\r\nContent-Type: " + contentType +
                               "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
                               extraHeaders + "\r\n" + body);
    }
    static std::string BodyOf(const std::string& reply) {
        const std::size_t end = reply.find("\r\n\r\n");
        return end == std::string::npos ? "" : reply.substr(end + 4);
    }
    static std::string StatusOf(const std::string& reply) {
        return reply.substr(0, reply.find("\r\n"));
    }
    // A body as a browser or curl -F sends it.
    static std::string StandardBody(const std::string& boundary, const std::string& filename,
                                    const std::string& data) {
        return "--" + boundary + "\r\n" +
               "Content-Disposition: form-data; name=\"comment\"\r\n\r\nhello\r\n" + "--" +
               boundary + "\r\n" + "Content-Disposition: form-data; name=\"file\"; filename=\"" +
               filename + "\"\r\n" + "Content-Type: application/octet-stream\r\n\r\n" + data +
               "\r\n--" + boundary + "--\r\n";
    }
    bool Exists(const std::string& relative) const {
        return std::filesystem::exists(m_card.Path() + "/" + relative);
    }

    testsupport::TempDir m_outside; // a neighbour of the card that must stay empty
    testsupport::TempDir m_card;
};

} // namespace

TEST_F(VoxletCardTest, FirstLineNamesThePort) {
    CardProcess card(m_card.Path());
    EXPECT_EQ(card.FirstLine(), "listening on 127.0.0.1:" + std::to_string(card.Port()));
    EXPECT_GT(card.Port(), 0);
}

TEST_F(VoxletCardTest, UpdirAnswersSuccessAndCreatesTheFolder) {
    CardProcess card(m_card.Path());
    const std::string reply = Get(card, "/upload.cgi?UPDIR=/NEW");
    EXPECT_EQ(StatusOf(reply), "HTTP/1.1 200 OK");
    EXPECT_EQ(BodyOf(reply), "SUCCESS");
    EXPECT_EQ(reply.find("Content-Length"), std::string::npos); // ends with the close
    EXPECT_TRUE(std::filesystem::is_directory(m_card.Path() + "/NEW"));
    // A folder whose parent is missing is not made, but still answered SUCCESS;
    // the upload into it fails.
    EXPECT_EQ(BodyOf(Get(card, "/upload.cgi?UPDIR=/A/B")), "SUCCESS");
    EXPECT_FALSE(Exists("A"));
    const std::string body = StandardBody("xyz", "f.bin", "data");
    const std::string posted = Post(card, "multipart/form-data; boundary=xyz", body);
    EXPECT_NE(posted.find("ERROR"), std::string::npos);
    EXPECT_EQ(posted.find("<h1>Success</h1>"), std::string::npos);
}

TEST_F(VoxletCardTest, OtherQueriesAnswerSuccessAndNoQueryGivesTheForm) {
    CardProcess card(m_card.Path());
    EXPECT_EQ(BodyOf(Get(card, "/upload.cgi?FTIME=0x4A210000")), "SUCCESS");
    EXPECT_EQ(BodyOf(Get(card, "/upload.cgi?WRITEPROTECT=ON")), "SUCCESS");
    EXPECT_EQ(BodyOf(Get(card, "/upload.cgi?DEL=/ADDON/X")), "SUCCESS");
    EXPECT_NE(BodyOf(Get(card, "/upload.cgi")).find("<form"), std::string::npos);
    EXPECT_EQ(StatusOf(Get(card, "/other.cgi")), "HTTP/1.1 404 Not Found");
}

TEST_F(VoxletCardTest, PrintedLinesEscapeControlBytes) {
    // A decoded folder name cannot forge a robot line or a terminal escape;
    // well-formed UTF-8 other than C1 controls stays readable.
    CardProcess card(m_card.Path());
    const std::string target = "/upload.cgi?UPDIR=/A%0Arobot:%20x%1B[2J%C2%9B%E9%9F%B3%FF";
    EXPECT_EQ(BodyOf(Get(card, target)), "SUCCESS");
    EXPECT_EQ(card.OutputLines(1),
              std::vector<std::string>{
                  "GET " + target + " -> SUCCESS folder=/A\\x0Arobot: x\\x1B[2J\\xC2\\x9B音\\xFF"});
}

TEST_F(VoxletCardTest, StandardMultipartBodyIsStored) {
    CardProcess card(m_card.Path());
    Get(card, "/upload.cgi?UPDIR=/ADDON");
    std::string data = "binary\r\n--not-the-boundary\r\n";
    data += std::string("\0\xFF\x0D\x0A", 4);
    const std::string reply = Post(card, "multipart/form-data; boundary=\"----abc\"",
                                   StandardBody("----abc", "C:\\Users\\me\\clip.wav", data));
    EXPECT_EQ(StatusOf(reply), "HTTP/1.1 200 OK");
    EXPECT_NE(BodyOf(reply).find("<h1>Success</h1>"), std::string::npos);
    EXPECT_EQ(testsupport::ReadFile(m_card.Path() + "/ADDON/clip.wav"), data);
    const auto lines = card.OutputLines(2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1],
              "POST /upload.cgi -> stored ADDON/clip.wav size=" + std::to_string(data.size()));
}

TEST_F(VoxletCardTest, VoxletBodyWithEmptyFile) {
    CardProcess card(m_card.Path());
    Get(card, "/upload.cgi?UPDIR=/ADDON");
    const std::string body = BuildFlashAirBody("TEMP.wav", nullptr, 0);
    const std::string reply =
        Post(card, "multipart/form-data;boundary=" + std::string(FLASHAIR_BOUNDARY), body);
    EXPECT_NE(reply.find("<h1>Success</h1>"), std::string::npos);
    EXPECT_TRUE(Exists("ADDON/TEMP.wav"));
    EXPECT_EQ(testsupport::ReadFile(m_card.Path() + "/ADDON/TEMP.wav"), "");
}

TEST_F(VoxletCardTest, NothingIsWrittenOutsideTheRoot) {
    CardProcess card(m_card.Path());
    const std::string outsideName = std::filesystem::path(m_outside.Path()).filename().string();
    for (const std::string& updir :
         {std::string("/.."), std::string("/../") + outsideName, std::string("/ADDON/../../x"),
          std::string("/%2E%2E/x"), std::string("\\..\\x")}) {
        const std::string reply = Get(card, "/upload.cgi?UPDIR=" + updir);
        EXPECT_EQ(BodyOf(reply), "ERROR") << updir;
    }
    // The upload folder stayed the root; file names that climb are refused.
    const std::string boundary(FLASHAIR_BOUNDARY);
    for (const std::string& name :
         {std::string("../") + outsideName + "/evil", std::string(".."), std::string("..\\evil"),
          std::string("ADDON\\..\\..\\evil"), std::string("")}) {
        const std::string body = BuildFlashAirBody(name, "x", 1);
        const std::string reply = Post(card, "multipart/form-data;boundary=" + boundary, body);
        EXPECT_NE(BodyOf(reply).find("ERROR"), std::string::npos) << name;
    }
    EXPECT_TRUE(std::filesystem::is_empty(m_outside.Path()));
    EXPECT_FALSE(std::filesystem::exists(m_card.Path() + "/../evil"));
    EXPECT_FALSE(Exists("evil"));
    EXPECT_TRUE(card.Running());
}

TEST_F(VoxletCardTest, SymbolicLinksOutOfTheRootAreRefused) {
    std::filesystem::create_directory_symlink(m_outside.Path(), m_card.Path() + "/link");
    std::filesystem::create_symlink(m_outside.Path() + "/target", m_card.Path() + "/ADDON/T.LOG");
    CardProcess card(m_card.Path());
    EXPECT_EQ(BodyOf(Get(card, "/upload.cgi?UPDIR=/link")), "ERROR");
    EXPECT_EQ(BodyOf(Get(card, "/upload.cgi?UPDIR=/ADDON")), "SUCCESS");
    const std::string body = BuildFlashAirBody("T.LOG", "x", 1);
    const std::string reply =
        Post(card, "multipart/form-data;boundary=" + std::string(FLASHAIR_BOUNDARY), body);
    EXPECT_NE(BodyOf(reply).find("ERROR"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(m_outside.Path()));
}

TEST_F(VoxletCardTest, GarbageIsAnsweredAndServingGoesOn) {
    CardProcess card(m_card.Path());
    EXPECT_EQ(StatusOf(RawExchange(card.Port(), std::string("\x01\x02garbage\r\n\r\n"))),
              "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(StatusOf(RawExchange(card.Port(), "GET\r\n\r\n")), "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(StatusOf(RawExchange(card.Port(), "GET / HTTP/1.1\r\nno colon here\r\n\r\n")),
              "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(StatusOf(Post(card, "text/plain", "not multipart")), "HTTP/1.1 200 OK");
    EXPECT_NE(Post(card, "multipart/form-data; boundary=b", "--b\r\nbroken").find("ERROR"),
              std::string::npos);
    EXPECT_EQ(StatusOf(RawExchange(card.Port(),
                                   "POST /upload.cgi HTTP/1.1\r\nContent-Length: -5\r\n\r\n")),
              "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(StatusOf(RawExchange(card.Port(), "POST /upload.cgi HTTP/1.1\r\n"
                                                "Transfer-Encoding: chunked\r\n\r\n0\r\n\r\n")),
              "HTTP/1.1 411 Length Required");
    EXPECT_EQ(StatusOf(RawExchange(card.Port(), "DELETE /upload.cgi HTTP/1.1\r\n\r\n")),
              "HTTP/1.1 405 Method Not Allowed");
    EXPECT_EQ(BodyOf(Get(card, "/upload.cgi?UPDIR=/ADDON")), "SUCCESS");
}

TEST_F(VoxletCardTest, HugeRequestsAreRefused) {
    CardProcess card(m_card.Path());
    const std::string bigHeader =
        "GET /upload.cgi HTTP/1.1\r\nX: " + std::string(64 * 1024, 'a') + "\r\n\r\n";
    EXPECT_EQ(StatusOf(RawExchange(card.Port(), bigHeader)),
              "HTTP/1.1 431 Request Header Fields Too Large");
    const std::string bigBody =
        "POST /upload.cgi HTTP/1.1\r\nContent-Length: 999999999999\r\n\r\nabc";
    EXPECT_EQ(StatusOf(RawExchange(card.Port(), bigBody)), "HTTP/1.1 413 Payload Too Large");
    EXPECT_EQ(BodyOf(Get(card, "/upload.cgi?UPDIR=/ADDON")), "SUCCESS");
}

TEST_F(VoxletCardTest, TruncatedRequestIsDropped) {
    CardProcess card(m_card.Path());
    const std::string reply = RawExchange(
        card.Port(), "POST /upload.cgi HTTP/1.1\r\nContent-Length: 100\r\n\r\nonly ten..", true);
    EXPECT_EQ(reply, "");
    EXPECT_EQ(RawExchange(card.Port(), "GET /upload.cgi?UPD", true), "");
    EXPECT_EQ(BodyOf(Get(card, "/upload.cgi?UPDIR=/ADDON")), "SUCCESS");
    const auto lines = card.OutputLines(3);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "POST /upload.cgi -> dropped: connection closed inside the body");
}

TEST_F(VoxletCardTest, SilentClientIsDroppedAfterTheTimeOut) {
    CardProcess card(m_card.Path(), {"--timeout", "500"});
    // A client that connects and says nothing holds the card only for the time-out.
    const auto start = std::chrono::steady_clock::now();
    const std::string silent = RawExchange(card.Port(), "", false, 3000);
    EXPECT_NE(silent.find("408"), std::string::npos);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.5);
    EXPECT_EQ(BodyOf(Get(card, "/upload.cgi?UPDIR=/ADDON")), "SUCCESS");
}

TEST_F(VoxletCardTest, ExpectContinueIsHonoured) {
    CardProcess card(m_card.Path(), {"--timeout", "300"});
    // Headers only: the card invites the body, then gives up waiting for it.
    const std::string reply = RawExchange(card.Port(),
                                          "POST /upload.cgi HTTP/1.1\r\nContent-Length: 10\r\n"
                                          "Expect: 100-continue\r\n\r\n",
                                          false, 3000);
    EXPECT_EQ(reply.rfind("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 408 Request Timeout\r\n", 0), 0u)
        << reply;
    // With the body sent at once, no invitation is needed.
    Get(card, "/upload.cgi?UPDIR=/ADDON");
    const std::string body = StandardBody("q", "e.bin", "payload");
    const std::string stored =
        Post(card, "multipart/form-data; boundary=q", body, "Expect: 100-continue\r\n");
    EXPECT_EQ(StatusOf(stored), "HTTP/1.1 200 OK");
    EXPECT_EQ(testsupport::ReadFile(m_card.Path() + "/ADDON/e.bin"), "payload");
}

TEST_F(VoxletCardTest, LogHoldsTheRawRequests) {
    CardProcess card(m_card.Path());
    const std::string get = "GET /upload.cgi?UPDIR=/ADDON HTTP/1.1\r\nHost: x\r\n\r\n";
    RawExchange(card.Port(), get);
    const std::string garbage = std::string("\x01\x02garbage\r\n\r\n");
    RawExchange(card.Port(), garbage);
    EXPECT_EQ(card.RawLog(), get + garbage);
}

TEST_F(VoxletCardTest, BadCommandLines) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--play"}, {"--robot", "--poll", "0"}, {"--port", "x"}, {"--nonsense"}}) {
        EXPECT_THROW(CardProcess(m_card.Path(), args), std::runtime_error);
    }
    EXPECT_THROW(CardProcess(m_card.Path() + "/missing"), std::runtime_error);
}
