// The FlashAir route: SendFlashAirCommand and SendFlashAirFile with
// one, two and three voxlet-card processes on loopback.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "link/flashair_client.h"
#include "link/link_fixture.h"

using linktest::CardProcess;
using linktest::Hex;
using Lines = std::vector<std::string>;

namespace {

class FlashAirRouteTest : public LinkTest {
protected:
    // Starts n cards, each with an ADDON folder, and writes the settings.
    void StartCards(int n, const std::string& times = "",
                    const std::vector<std::string>& args = {}) {
        std::string hosts;
        for (int i = 0; i < n; ++i) {
            m_roots.push_back(std::make_unique<testsupport::TempDir>());
            testsupport::WriteFile(m_roots.back()->Path() + "/ADDON/.keep", "");
            m_cards.push_back(std::make_unique<CardProcess>(m_roots.back()->Path(), args));
            hosts += (i ? "," : "") + m_cards.back()->Host();
        }
        Settings("[REMOTE]\nCONNECT_TYPE=2\nFLASHAIR=" + hosts + "\n" +
                 (times.empty() ? "" : "FLASHAIR_TIME=" + times + "\n"));
    }
    CardProcess& Card(int i) { return *m_cards[static_cast<std::size_t>(i)]; }
    std::string Record(int i) { return Hex(Card(i).CardFile("ADDON/REMOTE.LOG")); }
    std::string GetLine(int i) {
        return "http get http://" + Card(i).Host() + "/upload.cgi?UPDIR=/ADDON -> \"SUCCESS\"";
    }
    std::string PostLine(int i, const std::string& name, std::size_t size) {
        return "http post http://" + Card(i).Host() + "/upload.cgi name=" + name +
               " size=" + std::to_string(size) + " -> ok";
    }
    bool SendFile(const std::string& path) { return Player().SendFlashAirFile(path, Dialog()); }

    std::vector<std::unique_ptr<testsupport::TempDir>> m_roots;
    std::vector<std::unique_ptr<CardProcess>> m_cards;
};

// Writes a clip (see linktest::Clip) and returns its path.
std::string PutClip(const std::string& path, std::int32_t chunkSize = 352836,
                    std::int32_t byteRate = 176400) {
    testsupport::WriteFile(path, linktest::Clip(chunkSize, byteRate));
    return path;
}

} // namespace

TEST_F(FlashAirRouteTest, AllCardsOrTheSelectedOneGetCommandAndFile) {
    StartCards(3, "32767,-1");
    InMode(MODE_NINSHIKI).SendFlashAirCommand(50, 123, 3); // a missing time is 0
    EXPECT_EQ(Record(0), "FE FF 7B 00 00 00 00 00 00 00 FF 7F 00 00 00 00");
    EXPECT_EQ(Record(1), "FE FF 7B 00 00 00 00 00 00 00 FF FF 00 00 00 00");
    EXPECT_EQ(Record(2), "FE FF 7B 00 00 00 00 00 00 00 00 00 00 00 00 00");
    for (int i = 0; i < 3; ++i)
        testsupport::WriteFile(m_roots[static_cast<std::size_t>(i)]->Path() + "/ADDON/REMOTE.LOG",
                               "");
    Settings("[REMOTE]\nFLASHAIR=" + Card(0).Host() + "," + Card(1).Host() + "," + Card(2).Host() +
             "\nFLASHAIR_TIME=0,500,900\n");
    m_player.reset();
    const std::size_t before = Card(0).RequestCount();
    InMode(MODE_VOICE).SelectFlashAirCard(1);
    Player().SendFlashAirCommand(100, 123, 3);
    EXPECT_EQ(Record(1), "FF FF 7B 00 06 00 19 00 00 00 F4 01 00 00 00 00");
    Player().SelectFlashAirCard(2);
    EXPECT_TRUE(SendFile(PutClip(m_dir / "clip.wav")));
    EXPECT_EQ(Record(2), "FF FF E7 03 06 00 19 00 00 00 84 03 00 00 00 00");
    EXPECT_EQ(Card(0).RequestCount(), before);
    EXPECT_EQ(Record(0), "");
}

TEST_F(FlashAirRouteTest, FailedCardDoesNotStopTheCommandLoop) {
    StartCards(1);
    const std::string refused = "127.0.0.1:" + std::to_string(linktest::RefusedPort());
    Settings("[REMOTE]\nFLASHAIR=" + refused + "," + Card(0).Host() + "\n");
    InMode(MODE_VOICE).SendFlashAirCommand(100, 123, 3);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Record(0), "FF FF 7B 00 06 00 19 00 00 00 00 00 00 00 00 00");
}

TEST_F(FlashAirRouteTest, FilesGetTheirNameLengthAndTheTrackbarVolume) {
    StartCards(1);
    PutClip(m_dir / "prog/clip.WAV", 10 * 176400); // 11 s
    testsupport::WriteFile(m_dir / "tiny.wav", "RIFF1234WAVE");
    PutClip(m_dir / "zero.wav", 10 * 176400, 0);
    PutClip(m_dir / "Data/Other.wav");
    testsupport::WriteFile(m_dir / "odd.wav4", "data");
    const struct {
        int mode;
        std::string file, sent, stored; // sent "": the file's full path
        int trackbar;                   // 100 is the bottom: V = 0
        std::string record;
    } cases[] = {
        {MODE_NINSHIKI, "prog/clip.WAV", "", "TEMP.wav", 100,
         "FF FF E7 03 16 00 19 00 FF FF 00 00 00 00 00 00"},
        {MODE_VOICE, "tiny.wav", "", "TEMP.wav", 20, // too short: 3 s
         "FF FF E7 03 06 00 19 00 01 00 00 00 00 00 00 00"},
        {MODE_VOICE, "zero.wav", "", "TEMP.wav", 0, // byte rate 0: 3 s
         "FF FF E7 03 06 00 19 00 00 00 00 00 00 00 00 00"},
        {MODE_VOICE, "Data/Other.wav", ".\\data\\OTHER.wav", "TEMP.wav", 0,
         "FF FF E7 03 06 00 19 00 00 00 00 00 00 00 00 00"},
        {MODE_NINSHIKI, "odd.wav4", "", "TEMP.TM4", 0, // a name ending in 4 is a program
         "FE FF 88 03 00 00 00 00 00 00 00 00 00 00 00 00"},
    };
    for (const auto& c : cases) {
        InMode(c.mode);
        Dialog().TrackSetPos(ctl::kVolume, c.trackbar);
        EXPECT_TRUE(SendFile(c.sent.empty() ? m_dir / c.file : c.sent)) << c.file;
        EXPECT_EQ(Card(0).CardFile("ADDON/" + c.stored), testsupport::ReadFile(m_dir / c.file))
            << c.file;
        EXPECT_EQ(Record(0), c.record) << c.file;
    }
}

TEST_F(FlashAirRouteTest, MissingOrEmptyFileShowsMessage122) {
    StartCards(1);
    testsupport::WriteFile(m_dir / "empty.wav", "");
    for (const std::string& path : {m_dir / "missing.TM4", m_dir / "empty.wav", m_dir.Path()})
        EXPECT_FALSE(SendFile(path)) << path;
    EXPECT_EQ(Messages(),
              Lines(3, "message 122 none: ティコプログラムの読み込みに失敗しました。 -> OK"));
    EXPECT_TRUE(HttpLines().empty());
    EXPECT_EQ(Card(0).RequestCount(), 0u);
}

TEST_F(FlashAirRouteTest, EveryCardGetsTheFileAndAnyFailureStopsEveryCommand) {
    StartCards(2);
    const std::string refused = "127.0.0.1:" + std::to_string(linktest::RefusedPort());
    // Answers the folder request, then refuses the POST.
    linktest::FakeServer gone(linktest::FakeServer::Mode::ReplyOnce,
                              linktest::HttpReply("SUCCESS"));
    Settings("[REMOTE]\nFLASHAIR=" + Card(0).Host() + "," + refused + "," + Card(1).Host() + "," +
             gone.Host() + "\n");
    const std::string clip = testsupport::ReadFile(PutClip(m_dir / "clip.wav"));
    EXPECT_FALSE(SendFile(m_dir / "clip.wav"));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Card(i).CardFile("ADDON/TEMP.wav"), clip);
        EXPECT_EQ(Record(i), "");
    }
    // The trace and the messages in card order, once every card has answered.
    const Lines starts = {
        GetLine(0),
        PostLine(0, "TEMP.wav", clip.size()),
        "http get http://" + refused + "/upload.cgi?UPDIR=/ADDON -> error ",
        GetLine(1),
        PostLine(1, "TEMP.wav", clip.size()),
        "http get http://" + gone.Host() + "/upload.cgi?UPDIR=/ADDON -> \"SUCCESS\"",
        "http post http://" + gone.Host() +
            "/upload.cgi name=TEMP.wav size=" + std::to_string(clip.size()) + " -> error ",
        linktest::kFailure + refused + ": ",
        linktest::kFailure + gone.Host() + ": "};
    ASSERT_EQ(m_log.size(), starts.size());
    for (std::size_t i = 0; i < m_log.size(); ++i)
        EXPECT_EQ(m_log[i].rfind(starts[i], 0), 0u) << m_log[i];
    for (std::size_t i = 7; i < m_log.size(); ++i)
        EXPECT_TRUE(m_log[i].ends_with(linktest::RefusedText() + "] -> OK")) << m_log[i];
}

TEST_F(FlashAirRouteTest, CardsThatNeverAnswerTakeOneTimeOutTogether) {
    StartCards(5, "", {"--delay-ms", "8000"});
    m_http->SetTimeouts(platform::HttpTimeouts{2000, 1});
    const auto start = std::chrono::steady_clock::now();
    InMode(MODE_VOICE).SendFlashAirCommand(100, 123, 3);
    // One after another, five time-outs of at least a second each.
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 3.0);
    ASSERT_EQ(Messages().size(), 5u);
    EXPECT_EQ(Messages()[0].rfind(linktest::kFailure + Card(0).Host() + ": ", 0), 0u)
        << Messages()[0];
    EXPECT_NE(Messages()[0].find(linktest::TooSlowText()), std::string::npos) << Messages()[0];
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Card(i).RequestCount(), 1u); // no POST
}
