// The FlashAir route: SendFlashAirCommand and SendFlashAirFile over an
// in-memory transport (the flashair_* scenarios run it against card
// emulators), and the system's transport against cards that never answer.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "link/flashair_client.h"
#include "link/link_fixture.h"

using linktest::CardProcess;
using linktest::Hex;
using Lines = std::vector<std::string>;
using platform::HttpResult;

namespace {

class FlashAirRouteTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        m_services.http = &m_fake;
    }
    bool SendFile(const std::string& path, std::int16_t volume = 0) {
        return Player().SendFlashAirFile(RouteSend::File(path, volume));
    }
    // The record in the i-th exchange, an upload of REMOTE.LOG.
    std::string RecordIn(std::size_t i) const {
        return Hex(m_fake.sent[i].substr(m_fake.sent[i].size() - 48, 16));
    }

    linktest::FakeTransport m_fake;
};

} // namespace

TEST_F(FlashAirRouteTest, EveryCardGetsTheFileAndAnyFailureStopsEveryCommand) {
    const HttpResult yes{true, "SUCCESS", ""};
    // Each card its own FLASHAIR_TIME word (a missing one is 0).
    Settings("[REMOTE]\nFLASHAIR=a,b,c\nFLASHAIR_TIME=32767,-1\n");
    m_fake.replies = {yes, yes, yes, yes, yes, yes};
    InMode(MODE_NINSHIKI).SendFlashAirCommand(RouteSend::Record(123, 3, 50));
    EXPECT_EQ((Lines{RecordIn(1), RecordIn(3), RecordIn(5)}),
              (Lines{"FE FF 7B 00 00 00 00 00 00 00 FF 7F 00 00 00 00",
                     "FE FF 7B 00 00 00 00 00 00 00 FF FF 00 00 00 00",
                     "FE FF 7B 00 00 00 00 00 00 00 00 00 00 00 00 00"}));
    // b does not answer the folder request, d fails the POST: the others get
    // the file, and no card a command.
    m_player.reset();
    Settings("[REMOTE]\nFLASHAIR=a,b,c,d\n");
    testsupport::WriteFile(m_dir / "clip.wav", "data");
    m_fake.sent.clear();
    m_fake.replies = {yes, yes, {false, "", "x"}, yes, yes, yes, {false, "", "y"}};
    EXPECT_FALSE(SendFile(m_dir / "clip.wav"));
    EXPECT_EQ(m_fake.sent.size(), 7u);
    const auto get = [](const std::string& host, const std::string& reply) {
        return "http get http://" + host + "/upload.cgi?UPDIR=/ADDON -> " + reply;
    };
    const auto post = [](const std::string& host, const std::string& result) {
        return "http post http://" + host + "/upload.cgi name=TEMP.wav size=4 -> " + result;
    };
    EXPECT_EQ(m_log, (Lines{get("a", "\"SUCCESS\""), post("a", "ok"), get("b", "error x"),
                            get("c", "\"SUCCESS\""), post("c", "ok"), get("d", "\"SUCCESS\""),
                            post("d", "error y"), linktest::kFailure + "b: x] -> OK",
                            linktest::kFailure + "d: y] -> OK"}));
}

TEST_F(FlashAirRouteTest, FilesGetTheirNameLengthAndVolumeOrMessage122) {
    Settings("[REMOTE]\nFLASHAIR=a\n");
    testsupport::WriteFile(m_dir / "prog/clip.WAV", linktest::Clip(10 * 176400)); // 11 s
    testsupport::WriteFile(m_dir / "tiny.wav", "RIFF1234WAVE");
    testsupport::WriteFile(m_dir / "zero.wav", linktest::Clip(10 * 176400, 0));
    testsupport::WriteFile(m_dir / "Data/Other.wav", linktest::Clip());
    testsupport::WriteFile(m_dir / "odd.wav4", "data");
    testsupport::WriteFile(m_dir / "empty.wav", "");
    for (const auto& v : testsupport::Vectors("flashair_files.txt")) {
        SCOPED_TRACE(v[1]);
        InMode(v[0] == "voice" ? MODE_VOICE : MODE_NINSHIKI);
        m_fake.sent.clear();
        m_fake.replies.assign(4, {true, "SUCCESS", ""});
        m_log.clear();
        EXPECT_EQ(SendFile(v[2].empty() ? m_dir / v[1] : v[2],
                           static_cast<std::int16_t>(std::stoi(v[4]))),
                  !v[5].empty());
        if (v[5].empty()) { // nothing is sent
            EXPECT_EQ(m_log,
                      Lines{"message 122 none: ティコプログラムの読み込みに失敗しました。 -> OK"});
            EXPECT_TRUE(m_fake.sent.empty());
            continue;
        }
        const std::string bytes = testsupport::ReadFile(m_dir / v[1]);
        ASSERT_EQ(m_fake.sent.size(), 4u);
        EXPECT_TRUE(m_fake.sent[1].ends_with(BuildFlashAirBody(v[3], bytes.data(), bytes.size())));
        EXPECT_EQ(RecordIn(3), v[5]);
    }
}

TEST_F(LinkTest, CardsThatNeverAnswerEachFailAtTheirTimeOut) {
    const testsupport::TempDir root;
    std::vector<std::unique_ptr<CardProcess>> cards;
    std::string hosts;
    for (int i = 0; i < 5; ++i) {
        cards.push_back(std::make_unique<CardProcess>(root.Path(), Lines{"--delay-ms", "8000"}));
        hosts += (i ? "," : "") + cards.back()->Host();
    }
    Settings("[REMOTE]\nFLASHAIR=" + hosts + "\n");
    m_http->SetTimeouts(platform::HttpTimeouts{2000, 1});
    // That the cards are waited for together, not one after another, is
    // AStalledCardHoldsBackNoOtherCard's to show, by order, not by time.
    InMode(MODE_VOICE).SendFlashAirCommand(RouteSend::Record(123, 3, 100));
    ASSERT_EQ(Messages().size(), 5u);
    // Wine's WinINet reports a receive time-out as the end of the connection
    // (Windows: "The operation timed out").
    const std::string slow = testsupport::WindowsBuild()
                                 ? "The connection with the server has been terminated."
                                 : "Operation too slow";
    EXPECT_TRUE(Messages()[0].starts_with(linktest::kFailure + cards[0]->Host() + ": "))
        << Messages()[0];
    EXPECT_NE(Messages()[0].find(slow), std::string::npos) << Messages()[0];
    for (const auto& card : cards) { // the folder request only
        EXPECT_TRUE(card->RawLog().starts_with("GET ")) << card->RawLog();
        EXPECT_EQ(card->RawLog().find("POST"), std::string::npos) << card->RawLog();
    }
}

TEST_F(LinkTest, AStalledCardHoldsBackNoOtherCard) {
    // Card 1 accepts and never answers until card 2, an emulator, has stored
    // its command (a 20 s guard only against a hang).
    auto stalled = testsupport::Socket::Listen();
    const std::string host = "127.0.0.1:" + std::to_string(stalled.Port());
    const testsupport::TempDir root;
    CardProcess card(root.Path());
    Settings("[REMOTE]\nFLASHAIR=" + host + "," + card.Host() + "\n");
    CVoicePlayer& player = InMode(MODE_VOICE);
    auto send = std::async(std::launch::async,
                           [&] { player.SendFlashAirCommand(RouteSend::Record(123, 3, 100)); });
    auto held = stalled.Readable(20000) ? stalled.Accept() : testsupport::Socket();
    bool stored = false;
    for (int i = 0; i < 2000 && !stored; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        stored = card.CardFile("ADDON/REMOTE.LOG").size() == 16;
    }
    EXPECT_TRUE(held.Valid());
    held.Close();
    send.get();
    EXPECT_TRUE(stored) << "card 2 waited for card 1";
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].starts_with(linktest::kFailure + host + ": ")) << Messages()[0];
}
