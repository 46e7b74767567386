// The card emulator itself: what it stores, and that clients cannot make it
// write outside its root, leave part of a file, or stop serving others.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include "link/flashair_client.h"
#include "link/link_fixture.h"

using linktest::CardProcess;
using linktest::RawExchange;
using testsupport::Socket;
using namespace std::chrono_literals;
using namespace std::string_literals;

namespace {

class VoxletCardTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(m_card.Path() + "/ADDON"); }
    // The body of the reply to a GET of the target, awaited at most timeoutMs.
    std::string Get(CardProcess& card, const std::string& target, int timeoutMs = 5000) {
        return BodyOf(RawExchange(card.Port(), "GET " + target + " HTTP/1.1\r\nHost: x\r\n\r\n",
                                  false, timeoutMs));
    }
    static std::string PostHead(std::size_t length) {
        return "POST /upload.cgi HTTP/1.1\r\nHost: x\r\nContent-Type: "
               "multipart/form-data;boundary=" +
               std::string(FLASHAIR_BOUNDARY) + "\r\nContent-Length: " + std::to_string(length) +
               "\r\n\r\n";
    }
    // The reply to an upload of the bytes under the name.
    std::string Post(CardProcess& card, const std::string& name, const std::string& bytes) {
        const std::string body = BuildFlashAirBody(name, bytes.data(), bytes.size());
        return BodyOf(RawExchange(card.Port(), PostHead(body.size()) + body));
    }
    static std::string BodyOf(const std::string& reply) {
        const std::size_t end = reply.find("\r\n\r\n");
        return end == std::string::npos ? "" : reply.substr(end + 4);
    }

    testsupport::TempDir m_outside; // a neighbour of the card that must stay empty
    testsupport::TempDir m_card;
};

} // namespace

TEST_F(VoxletCardTest, EscapesPrintedBytesAndWritesNothingOutsideTheRoot) {
    CardProcess card(m_card.Path());
    // A decoded folder name cannot forge a robot line or a terminal escape;
    // well-formed UTF-8 other than C1 controls stays readable.
    const std::string target = "/upload.cgi?UPDIR=/A%0Arobot:%20x%1B[2J%C2%9B%E9%9F%B3%FF";
    EXPECT_EQ(Get(card, target), "SUCCESS");
    EXPECT_EQ(card.OutputLines(1),
              std::vector<std::string>{
                  "GET " + target + " -> SUCCESS folder=/A\\x0Arobot: x\\x1B[2J\\xC2\\x9B音\\xFF"});
    const std::string outsideName = std::filesystem::path(m_outside.Path()).filename().string();
    for (const std::string& updir :
         {"/.."s, "/../" + outsideName, "/ADDON/../../x"s, "/%2E%2E/x"s, "\\..\\x"s})
        EXPECT_EQ(Get(card, "/upload.cgi?UPDIR=" + updir), "ERROR") << updir;
    // File names that climb are refused, and so is a symbolic link in the
    // file's place.
    EXPECT_EQ(Get(card, "/upload.cgi?UPDIR=/"), "SUCCESS");
    std::filesystem::create_symlink(m_outside.Path() + "/evil", m_card.Path() + "/evil");
    for (const std::string& name :
         {"../" + outsideName + "/evil", ".."s, "..\\evil"s, "ADDON\\..\\..\\evil"s, ""s, "evil"s})
        EXPECT_NE(Post(card, name, "x").find("ERROR"), std::string::npos) << name;
    EXPECT_TRUE(std::filesystem::is_empty(m_outside.Path()));
    EXPECT_TRUE(std::filesystem::is_symlink(m_card.Path() + "/evil"));
    EXPECT_FALSE(std::filesystem::exists(m_card.Path() + "/../evil"));
    EXPECT_TRUE(card.Running());
}

TEST_F(VoxletCardTest, AFailedOrCutUploadLeavesNoPartOfItsFile) {
    testsupport::WriteFile(m_card.Path() + "/ADDON/OLD.WAV", "old");
    // The card may write 4 KB per file: a longer write fails (EFBIG), as on a full card.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    CardProcess card(m_card.Path());
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ(Get(card, "/upload.cgi?UPDIR=/ADDON"), "SUCCESS");
    for (const std::string name : {"OLD.WAV", "NEW.WAV"})
        EXPECT_NE(Post(card, name, std::string(8000, 'x')).find("ERROR"), std::string::npos);
    const std::string cut = BuildFlashAirBody("CUT.WAV", "abc", 3);
    EXPECT_EQ(RawExchange(card.Port(), PostHead(cut.size()) + cut.substr(0, 40), true), "");

    EXPECT_EQ(card.CardFile("ADDON/OLD.WAV"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_card.Path() + "/ADDON"), {}), 1);
}

TEST_F(VoxletCardTest, ConflictingContentLengthsAreRefused) {
    CardProcess card(m_card.Path());
    for (const auto& [lengths, status] :
         {std::pair{"Content-Length: 4\r\nContent-Length: 3", "400"},
          {"Content-Length: 3, 4", "400"},
          {"Content-Length: 4\r\ncontent-length: 4", "200"},
          {"Content-Length: 4, 4", "200"}}) {
        const std::string reply = RawExchange(
            card.Port(), std::string("POST /upload.cgi HTTP/1.1\r\n") + lengths + "\r\n\r\nabcd");
        EXPECT_TRUE(reply.starts_with(std::string("HTTP/1.1 ") + status))
            << lengths << ": " << reply;
    }
}

TEST_F(VoxletCardTest, SlowAndSilentClientsDoNotHoldUpOthers) {
    CardProcess card(m_card.Path());
    // Ten connections held: the even ones send a byte every half second.
    std::vector<Socket> held;
    for (int i = 0; i < 10; ++i)
        held.push_back(Socket::Connect(card.Port()));
    std::atomic<bool> stop{false};
    std::thread trickle([&] {
        for (; !stop; std::this_thread::sleep_for(500ms))
            for (std::size_t i = 0; i < held.size(); i += 2)
                held[i].Send("G");
    });
    // Answered while all ten are still open and none has a whole request: the
    // first one alone would hold a card that serves one at a time for 60 s,
    // far beyond a 20 s guard against a hang.
    const std::string reply = Get(card, "/upload.cgi?UPDIR=/ADDON", 20000);
    stop = true;
    trickle.join();
    EXPECT_EQ(reply, "SUCCESS");

    // Up to 64 connections are read at once; one more is turned away, and
    // served again once the others are gone.
    while (held.size() < 64)
        held.push_back(Socket::Connect(card.Port()));
    EXPECT_TRUE(RawExchange(card.Port(), "", false, 3000).starts_with("HTTP/1.1 503 "));
    held.clear();
    const auto until = std::chrono::steady_clock::now() + 5s;
    std::string again;
    while ((again = Get(card, "/upload.cgi?UPDIR=/")) != "SUCCESS" &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(100ms);
    EXPECT_EQ(again, "SUCCESS");
}

TEST_F(VoxletCardTest, BodiesBeyondTheBufferBudgetGet503UntilItIsFreeAgain) {
    CardProcess card(m_card.Path(), {"--body-budget", "1000"});
    const std::size_t one = BuildFlashAirBody("A.TXT", "x", 1).size(); // a file of one byte
    // A connection declares a body that leaves room for `one`, and sends all
    // of it but the last byte; its 100 Continue tells that its share is taken.
    Socket held = Socket::Connect(card.Port());
    std::string head = PostHead(1000 - one);
    held.Send(head.insert(head.size() - 2, "Expect: 100-continue\r\n"));
    char continued[64];
    ASSERT_TRUE(held.Readable(5000));
    ASSERT_GT(held.Receive(continued, sizeof continued), 0);
    held.Send(std::string(1000 - one - 1, 'x'));
    Post(card, "A.TXT", "x");  // fits exactly
    Post(card, "B.TXT", "xx"); // one byte too many: refused unread
    held.Close();
    card.OutputLines(3); // its line shows once its share is free again
    Post(card, "C.TXT", std::string(1000 - one + 1, 'x')); // the whole budget
    EXPECT_EQ(card.OutputLines(4),
              (std::vector<std::string>{
                  "POST /upload.cgi -> stored A.TXT size=1",
                  "POST /upload.cgi -> 503 no room to buffer the body",
                  "POST /upload.cgi -> dropped: connection closed inside the body",
                  "POST /upload.cgi -> stored C.TXT size=" + std::to_string(1000 - one + 1)}));
}
