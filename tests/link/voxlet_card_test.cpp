// The card emulator itself: what it stores, and that clients cannot make it
// write outside its root or stop serving.
#include <gtest/gtest.h>

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
    std::string Post(CardProcess& card, const std::string& contentType, const std::string& body) {
        return RawExchange(card.Port(),
                           "POST /upload.cgi HTTP/1.1\r\nHost: x\r\nContent-Type: " + contentType +
                               "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
                               body);
    }
    static std::string BodyOf(const std::string& reply) {
        const std::size_t end = reply.find("\r\n\r\n");
        return end == std::string::npos ? "" : reply.substr(end + 4);
    }
    bool Exists(const std::string& relative) const {
        return std::filesystem::exists(m_card.Path() + "/" + relative);
    }

    testsupport::TempDir m_outside; // a neighbour of the card that must stay empty
    testsupport::TempDir m_card;
};

} // namespace

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
