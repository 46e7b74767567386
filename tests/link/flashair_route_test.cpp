// The FlashAir route: SendFlashAirCommand and SendFlashAirFile with
// one, two and three voxlet-card processes on loopback.
#include <gtest/gtest.h>

#include <memory>

#include "link/link_fixture.h"

using linktest::Bytes;
using linktest::CardProcess;
using linktest::Hex;

namespace {

class FlashAirRouteTest : public LinkTest {
protected:
    // Starts n cards, each with an ADDON folder, and writes the settings.
    void StartCards(int n, const std::string& times) {
        std::string hosts;
        for (int i = 0; i < n; ++i) {
            m_roots.push_back(std::make_unique<testsupport::TempDir>());
            testsupport::WriteFile(m_roots.back()->Path() + "/ADDON/.keep", "");
            m_cards.push_back(std::make_unique<CardProcess>(m_roots.back()->Path()));
            hosts += (i ? "," : "") + m_cards.back()->Host();
        }
        std::string text = "[REMOTE]\nCONNECT_TYPE=2\nFLASHAIR=" + hosts + "\n";
        if (!times.empty())
            text += "FLASHAIR_TIME=" + times + "\n";
        Settings(text);
    }
    CardProcess& Card(int i) { return *m_cards[static_cast<std::size_t>(i)]; }
    std::string Record(int i) { return Card(i).CardFile("ADDON/REMOTE.LOG"); }
    std::string GetLine(int i) {
        return "http get http://" + Card(i).Host() + "/upload.cgi?UPDIR=/ADDON -> \"SUCCESS\"";
    }
    std::string PostLine(int i, const std::string& name, std::size_t size) {
        return "http post http://" + Card(i).Host() + "/upload.cgi name=" + name +
               " size=" + std::to_string(size) + " -> ok";
    }
    std::string WritePlayerFile(const std::string& name, const std::string& bytes) {
        testsupport::WriteFile(m_dir / name, bytes);
        return m_dir / name;
    }

    std::vector<std::unique_ptr<testsupport::TempDir>> m_roots;
    std::vector<std::unique_ptr<CardProcess>> m_cards;
};

std::string WavWithLength(std::int32_t chunkSize, std::int32_t byteRate) {
    std::string wav = testsupport::MakeWav(8000, 80);
    for (int i = 0; i < 4; ++i) {
        wav[4 + static_cast<std::size_t>(i)] =
            static_cast<char>((static_cast<std::uint32_t>(chunkSize) >> (8 * i)) & 0xFF);
        wav[28 + static_cast<std::size_t>(i)] =
            static_cast<char>((static_cast<std::uint32_t>(byteRate) >> (8 * i)) & 0xFF);
    }
    return wav;
}

} // namespace

TEST_F(FlashAirRouteTest, VoiceClipToOneCard) {
    StartCards(1, "");
    auto& player = Player();
    player.m_nMode = MODE_VOICE;
    player.SendFlashAirCommand(100, 123, 3);
    EXPECT_EQ(Hex(Record(0)), "FF FF 7B 00 06 00 19 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(HttpLines(),
              (std::vector<std::string>{GetLine(0), PostLine(0, "ADDON\\REMOTE.LOG", 16)}));
    const auto requests = Card(0).Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].body.size(), 185u);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(FlashAirRouteTest, TwoCardsGetTheirTargetTimesInOrder) {
    StartCards(2, "0,500");
    auto& player = Player();
    player.m_nMode = MODE_VOICE;
    player.SendFlashAirCommand(100, 123, 3);
    EXPECT_EQ(Hex(Record(0)), "FF FF 7B 00 06 00 19 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(Hex(Record(1)), "FF FF 7B 00 06 00 19 00 00 00 F4 01 00 00 00 00");
    EXPECT_EQ(HttpLines(),
              (std::vector<std::string>{GetLine(0), PostLine(0, "ADDON\\REMOTE.LOG", 16),
                                        GetLine(1), PostLine(1, "ADDON\\REMOTE.LOG", 16)}));
    // The GET comes before every POST, on each card.
    for (int i = 0; i < 2; ++i) {
        const auto requests = Card(i).Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].requestLine, "GET /upload.cgi?UPDIR=/ADDON HTTP/1.1");
        EXPECT_EQ(requests[1].requestLine, "POST /upload.cgi HTTP/1.0");
    }
}

TEST_F(FlashAirRouteTest, ThreeCardsAllGetTheCommand) {
    StartCards(3, "10,-1,32767");
    auto& player = Player();
    player.m_nMode = MODE_NINSHIKI;
    player.SendFlashAirCommand(50, 123, 3);
    EXPECT_EQ(Hex(Record(0)), "FE FF 7B 00 00 00 00 00 00 00 0A 00 00 00 00 00");
    EXPECT_EQ(Hex(Record(1)), "FE FF 7B 00 00 00 00 00 00 00 FF FF 00 00 00 00");
    EXPECT_EQ(Hex(Record(2)), "FE FF 7B 00 00 00 00 00 00 00 FF 7F 00 00 00 00");
    const auto lines = HttpLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], GetLine(0));
    EXPECT_EQ(lines[2], GetLine(1));
    EXPECT_EQ(lines[4], GetLine(2));
}

TEST_F(FlashAirRouteTest, MissingTargetTimesAreZero) {
    StartCards(3, "7");
    auto& player = Player();
    player.m_nMode = MODE_VOICE;
    player.SendFlashAirCommand(100, 1, 1);
    EXPECT_EQ(Hex(Record(0).substr(10, 2)), "07 00");
    EXPECT_EQ(Hex(Record(1).substr(10, 2)), "00 00");
    EXPECT_EQ(Hex(Record(2).substr(10, 2)), "00 00");
}

TEST_F(FlashAirRouteTest, SelectedCardOnly) {
    StartCards(3, "0,500,900");
    auto& player = Player();
    player.m_nMode = MODE_VOICE;
    player.m_nTargetSel = 1;
    player.SendFlashAirCommand(100, 123, 3);
    EXPECT_TRUE(Card(0).Requests().empty());
    EXPECT_TRUE(Card(2).Requests().empty());
    EXPECT_EQ(Card(1).Requests().size(), 2u);
    EXPECT_EQ(Hex(Record(1)), "FF FF 7B 00 06 00 19 00 00 00 F4 01 00 00 00 00");
    EXPECT_EQ(Record(0), "");
    EXPECT_EQ(Record(2), "");
}

TEST_F(FlashAirRouteTest, FailedCardDoesNotStopTheCommandLoop) {
    StartCards(1, "");
    const std::string refused = "127.0.0.1:" + std::to_string(linktest::RefusedPort());
    Settings("[REMOTE]\nFLASHAIR=" + refused + "," + Card(0).Host() + "\n");
    auto& player = Player();
    player.m_nMode = MODE_VOICE;
    player.SendFlashAirCommand(100, 123, 3);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Hex(Record(0)), "FF FF 7B 00 06 00 19 00 00 00 00 00 00 00 00 00");
}

TEST_F(FlashAirRouteTest, VolumeZeroWritesMinusOne) {
    StartCards(1, "");
    auto& player = Player();
    player.m_nMode = MODE_VOICE;
    player.SendFlashAirCommand(0, 123, 3);
    EXPECT_EQ(Hex(Record(0).substr(8, 2)), "FF FF");
}

TEST_F(FlashAirRouteTest, ProgramFileGoesToEveryCardThenTheCommand) {
    StartCards(2, "0,500");
    const std::string program = "<TM4 program>\r\n";
    const std::string path = WritePlayerFile("prog/test.tm4", program);
    auto& player = Player();
    player.m_nMode = MODE_NINSHIKI;
    EXPECT_TRUE(player.SendFlashAirFile(path, Dialog()));
    EXPECT_EQ(Card(0).CardFile("ADDON/TEMP.TM4"), program);
    EXPECT_EQ(Card(1).CardFile("ADDON/TEMP.TM4"), program);
    EXPECT_EQ(Hex(Record(0)), "FE FF 88 03 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(Hex(Record(1)), "FE FF 88 03 00 00 00 00 00 00 F4 01 00 00 00 00");
    EXPECT_EQ(HttpLines(),
              (std::vector<std::string>{GetLine(0), PostLine(0, "TEMP.TM4", program.size()),
                                        GetLine(1), PostLine(1, "TEMP.TM4", program.size()),
                                        GetLine(0), PostLine(0, "ADDON\\REMOTE.LOG", 16),
                                        GetLine(1), PostLine(1, "ADDON\\REMOTE.LOG", 16)}));
}

TEST_F(FlashAirRouteTest, NameEndingInFourIsAProgram) {
    StartCards(1, "");
    const std::string path = WritePlayerFile("odd.wav4", "data");
    auto& player = Player();
    EXPECT_TRUE(player.SendFlashAirFile(path, Dialog()));
    EXPECT_EQ(Card(0).CardFile("ADDON/TEMP.TM4"), "data");
    EXPECT_EQ(Hex(Record(0).substr(0, 4)), "FE FF 88 03");
}

TEST_F(FlashAirRouteTest, ClipGetsItsLengthAndTheTrackbarVolume) {
    StartCards(1, "");
    const std::string wav = WavWithLength(352836, 176400);
    const std::string path = WritePlayerFile("prog/clip.WAV", wav);
    auto& player = Player();
    player.m_nMode = MODE_NINSHIKI;
    Dialog().TrackSetPos(ctl::kVolume, 100); // the bottom: V = 0
    EXPECT_TRUE(player.SendFlashAirFile(path, Dialog()));
    EXPECT_EQ(Card(0).CardFile("ADDON/TEMP.wav"), wav);
    EXPECT_EQ(Hex(Record(0)), "FF FF E7 03 06 00 19 00 FF FF 00 00 00 00 00 00");
}

TEST_F(FlashAirRouteTest, ShortClipIsThreeSeconds) {
    StartCards(1, "");
    const std::string path = WritePlayerFile("tiny.wav", "RIFF1234WAVE");
    auto& player = Player();
    player.m_nMode = MODE_VOICE;
    Dialog().TrackSetPos(ctl::kVolume, 20); // V = 80
    EXPECT_TRUE(player.SendFlashAirFile(path, Dialog()));
    EXPECT_EQ(Hex(Record(0)), "FF FF E7 03 06 00 19 00 01 00 00 00 00 00 00 00");
}

TEST_F(FlashAirRouteTest, ClipWithZeroByteRateIsThreeSeconds) {
    StartCards(1, "");
    const std::string path = WritePlayerFile("zero.wav", WavWithLength(352836 * 4, 0));
    auto& player = Player();
    player.m_nMode = MODE_VOICE;
    EXPECT_TRUE(player.SendFlashAirFile(path, Dialog()));
    EXPECT_EQ(Hex(Record(0).substr(0, 6)), "FF FF E7 03 06 00");
}

TEST_F(FlashAirRouteTest, MissingOrEmptyFileShowsMessage122) {
    StartCards(1, "");
    auto& player = Player();
    EXPECT_FALSE(player.SendFlashAirFile(m_dir / "missing.TM4", Dialog()));
    const std::string empty = WritePlayerFile("empty.wav", "");
    EXPECT_FALSE(player.SendFlashAirFile(empty, Dialog()));
    EXPECT_FALSE(player.SendFlashAirFile(m_dir.Path(), Dialog())); // a folder
    EXPECT_EQ(Messages(),
              (std::vector<std::string>(
                  3, "message 122 none: ティコプログラムの読み込みに失敗しました。 -> OK")));
    EXPECT_TRUE(HttpLines().empty());
    EXPECT_TRUE(Card(0).Requests().empty());
}

TEST_F(FlashAirRouteTest, DataPathWithBackslashesAndOtherCase) {
    StartCards(1, "");
    WritePlayerFile("Prog/Clip.wav", WavWithLength(352836, 176400));
    auto& player = Player();
    player.m_nMode = MODE_VOICE;
    EXPECT_TRUE(player.SendFlashAirFile(".\\prog\\CLIP.wav", Dialog()));
    EXPECT_EQ(Hex(Record(0).substr(0, 6)), "FF FF E7 03 06 00");
}

TEST_F(FlashAirRouteTest, FailedFileUploadSendsNoCommandToAnyCard) {
    StartCards(1, "");
    const std::string refused = "127.0.0.1:" + std::to_string(linktest::RefusedPort());
    Settings("[REMOTE]\nFLASHAIR=" + Card(0).Host() + "," + refused + "\n");
    const std::string path = WritePlayerFile("clip.wav", WavWithLength(352836, 176400));
    auto& player = Player();
    player.m_nMode = MODE_VOICE;
    EXPECT_FALSE(player.SendFlashAirFile(path, Dialog()));
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_FALSE(Card(0).CardFile("ADDON/TEMP.wav").empty()); // the first card got the file
    EXPECT_EQ(Record(0), "");                                 // but no command
    EXPECT_EQ(HttpLines().size(), 3u);
}

TEST_F(FlashAirRouteTest, SelectedCardGetsFileAndCommand) {
    StartCards(3, "0,500,900");
    const std::string path = WritePlayerFile("clip.wav", WavWithLength(352836, 176400));
    auto& player = Player();
    player.m_nMode = MODE_VOICE;
    player.m_nTargetSel = 2;
    EXPECT_TRUE(player.SendFlashAirFile(path, Dialog()));
    EXPECT_TRUE(Card(0).Requests().empty());
    EXPECT_TRUE(Card(1).Requests().empty());
    EXPECT_EQ(Card(2).Requests().size(), 4u);
    EXPECT_EQ(Hex(Record(2)), "FF FF E7 03 06 00 19 00 00 00 84 03 00 00 00 00");
}

TEST_F(FlashAirRouteTest, CardAnsweringErrorFailsSilently) {
    linktest::FakeServer server(linktest::FakeServer::Mode::Reply, linktest::HttpReply("ERROR"));
    Settings("[REMOTE]\nFLASHAIR=" + server.Host() + "\n");
    const std::string path = WritePlayerFile("clip.wav", WavWithLength(352836, 176400));
    auto& player = Player();
    EXPECT_FALSE(player.SendFlashAirFile(path, Dialog()));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(server.Connections(), 1);
}
