// The card emulator itself: what it prints, and that clients cannot make it
// write outside its root or stop serving.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace std::string_literals;

#include "link/flashair_client.h"
#include "link/link_fixture.h"

namespace fs = std::filesystem;

TEST(VoxletCard, EscapesPrintedBytesAndWritesNothingOutsideTheRoot) {
    testsupport::TempDir outside, root; // outside: a neighbour of the card that must stay empty
    fs::create_directories(root / "ADDON");
    linktest::CardProcess card(root.Path());
    auto body = [&](const std::string& request) {
        const std::string reply = linktest::RawExchange(card.Port(), request);
        return reply.substr(std::min(reply.find("\r\n\r\n") + 4, reply.size()));
    };
    auto get = [&](const std::string& target) {
        return body("GET " + target + " HTTP/1.1\r\nHost: x\r\n\r\n");
    };
    // A decoded folder name cannot forge a robot line or a terminal escape;
    // well-formed UTF-8 other than C1 controls stays readable.
    const std::string target = "/upload.cgi?UPDIR=/A%0Arobot:%20x%1B[2J%C2%9B%E9%9F%B3%FF";
    EXPECT_EQ(get(target), "SUCCESS");
    EXPECT_EQ(card.OutputLines(1),
              std::vector<std::string>{
                  "GET " + target + " -> SUCCESS folder=/A\\x0Arobot: x\\x1B[2J\\xC2\\x9B音\\xFF"});
    const std::string outsideName = fs::path(outside.Path()).filename().string();
    for (const std::string& updir :
         {"/.."s, "/../" + outsideName, "/ADDON/../../x"s, "/%2E%2E/x"s, "\\..\\x"s})
        EXPECT_EQ(get("/upload.cgi?UPDIR=" + updir), "ERROR") << updir;
    // The upload folder stayed the root; file names that climb are refused.
    for (const std::string& name :
         {"../" + outsideName + "/evil", ".."s, "..\\evil"s, "ADDON\\..\\..\\evil"s, ""s}) {
        const std::string part = BuildFlashAirBody(name, "x", 1);
        EXPECT_NE(body("POST /upload.cgi HTTP/1.1\r\nHost: x\r\nContent-Type: "
                       "multipart/form-data;boundary=" +
                       std::string(FLASHAIR_BOUNDARY) +
                       "\r\nContent-Length: " + std::to_string(part.size()) + "\r\n\r\n" + part)
                      .find("ERROR"),
                  std::string::npos)
            << name;
    }
    EXPECT_TRUE(fs::is_empty(outside.Path()));
    EXPECT_FALSE(fs::exists(root / "../evil") || fs::exists(root / "evil"));
    EXPECT_TRUE(card.Running());
}
