// End to end: the demo set played through voxlet-script to robot stand-ins
// (voxlet-card --robot). Each stand-in must report exactly the commands
// addressed to it, in order: on the FlashAir route two stand-ins on loopback
// get a play list with card targets; on the drive route two card folders get
// a play list with drive-letter targets. Single commands written into a plain
// REMOTE.LOG are found by polling; --play sounds clips through SDL2.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sys/stat.h>

#include "demo/demo_support.h"
#include "playback/audio/wav_header.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using namespace demotest;

namespace {

class RobotStandInTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("http_proxy");
        setenv("no_proxy", "*", 1);
        for (const Row& row : ReadCatalogue(m_demo + "/voice.csv"))
            m_voice[row.id] = row;
        for (const Row& row : ReadCatalogue(m_demo + "/Ninshiki.csv"))
            m_ninshiki[row.id] = row;
        m_playLists = PlayListNames(m_demo);
    }

    int PlayListIndex(const std::string& name) const {
        const auto at = std::find(m_playLists.begin(), m_playLists.end(), name);
        return at == m_playLists.end() ? -1 : static_cast<int>(at - m_playLists.begin());
    }

    // What a stand-in prints for a Tiko-voice clip sent at full volume.
    std::string VoiceLine(int id, int volume, int targetTime) const {
        const Row& row = m_voice.at(id);
        return ClipLine(-1, id, row.seconds * 2, 25, volume, targetTime, row.label);
    }

    // A card folder as the drive route needs it for model 1: ADDON with
    // REMOTE.LOG (a named pipe when asked) and the voice-playback program.
    std::string Card(const std::string& name, bool pipe) const {
        const std::string root = m_work / name;
        MakeDirs(root + "/ADDON");
        if (pipe) {
            EXPECT_EQ(mkfifo((root + "/ADDON/REMOTE.LOG").c_str(), 0644), 0);
        } else {
            testsupport::WriteFile(root + "/ADDON/REMOTE.LOG", "");
        }
        fs::copy_file(m_demo + "/card/ADDON/音声再生.TM4", root + "/ADDON/音声再生.TM4");
        return root;
    }

    std::string Ini(const std::string& text) const {
        const std::string path = m_work / "Voxlet.ini";
        testsupport::WriteFile(path, text);
        return path;
    }

    // The line of code 904 for the demo program, and of 999 for its WAV.
    std::string ProgramLine(int targetTime) const {
        const std::string program = testsupport::ReadFile(m_demo + "/programs/greetings.TM4");
        std::size_t blocks = 0;
        for (std::size_t at = 0;
             (at = program.find("<block name=\"SOUND ID ", at)) != std::string::npos; ++at)
            ++blocks;
        return ClipLine(-2, 904, 0, 0, 0, targetTime, "") + " run TEMP.TM4 (" +
               std::to_string(blocks) + " clip blocks)";
    }
    std::string WavLine(int volume, int targetTime) const {
        const WavCheck check = CheckWavFile(m_demo + "/programs/fanfare.wav");
        const std::string bytes = testsupport::ReadFile(m_demo + "/programs/fanfare.wav");
        const auto riff = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[4]) |
                                                     static_cast<unsigned char>(bytes[5]) << 8 |
                                                     static_cast<unsigned char>(bytes[6]) << 16 |
                                                     static_cast<unsigned char>(bytes[7]) << 24);
        const int seconds = static_cast<int>(riff / check.info.byteRate) + 1;
        return ClipLine(-1, 999, seconds * 2, 25, volume, targetTime, "") + " play TEMP.wav";
    }

    const std::string m_demo = DemoDir();
    testsupport::TempDir m_work;
    std::map<int, Row> m_voice;
    std::map<int, Row> m_ninshiki;
    std::vector<std::string> m_playLists;
};

// Waits a moment longer so that a line too many would show.
std::vector<std::string> Settled(const StandIn& robot, std::size_t count) {
    robot.RobotLines(count);
    return robot.RobotLines(count + 1, std::chrono::milliseconds(300));
}

} // namespace

TEST_F(RobotStandInTest, FlashAirPlayListReachesEachRobotInOrder) {
    const std::string catalogue = m_demo + "/voice.csv";
    MakeDirs(m_work / "robot1");
    MakeDirs(m_work / "robot2");
    StandIn robot1(m_work / "robot1", {"--catalogue", catalogue});
    StandIn robot2(m_work / "robot2", {"--catalogue", catalogue});
    const std::string ini =
        Ini("[SOUND]\nDEFAULT=0\n[REMOTE]\nCONNECT_TYPE=2\nFLASHAIR=" + robot1.Address() + "," +
            robot2.Address() +
            "\nFLASHAIR_TIME=0,500\nREMOTE_MERGIN=500\nPROGRAM_FOLDER=" + m_demo + "/programs\n");
    const int index = PlayListIndex("duet-flashair");
    ASSERT_GE(index, 0);
    std::string script = "click 1028\nclick 1022\nselect " + std::to_string(index) + "\nclick 3\n";
    for (int i = 0; i < 12; ++i)
        script += "tick\n";
    RunResult result = RunScript(m_demo, ini, script);
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out.find("message"), std::string::npos) << result.out;

    // "1:," lines go to the first card, "2:," lines to the second, the line
    // without a target to both (with each card's FLASHAIR_TIME).
    const std::vector<std::string> expected1 = {VoiceLine(101, 0, 0), VoiceLine(107, 0, 0),
                                                VoiceLine(112, 0, 0), VoiceLine(103, 0, 0)};
    const std::vector<std::string> expected2 = {VoiceLine(102, 0, 500), VoiceLine(108, 0, 500),
                                                VoiceLine(112, 0, 500), VoiceLine(113, 0, 500)};
    EXPECT_EQ(Settled(robot1, expected1.size()), expected1);
    EXPECT_EQ(Settled(robot2, expected2.size()), expected2);

    // The program category: a program and a WAV go to both cards ("全送信").
    result = RunScript(m_demo, ini, "click 1021\nselect 1\nclick 3\nselect 2\nclick 3\n");
    ASSERT_EQ(result.status, 0) << result.out;
    auto all1 = expected1;
    all1.push_back(ProgramLine(0));
    all1.push_back(WavLine(0, 0));
    auto all2 = expected2;
    all2.push_back(ProgramLine(500));
    all2.push_back(WavLine(0, 500));
    EXPECT_EQ(Settled(robot1, all1.size()), all1);
    EXPECT_EQ(Settled(robot2, all2.size()), all2);
    EXPECT_EQ(testsupport::ReadFile(m_work / "robot1/ADDON/TEMP.wav"),
              testsupport::ReadFile(m_demo + "/programs/fanfare.wav"));
    EXPECT_TRUE(robot1.Running());
    EXPECT_TRUE(robot2.Running());
}

TEST_F(RobotStandInTest, DrivePlayListReachesEachCardInOrder) {
    // Named pipes as REMOTE.LOG: voxlet-script writes its records without
    // waiting, and a pipe keeps every one of them in order.
    const std::string cardE = Card("cardE", true);
    const std::string cardF = Card("cardF", true);
    const std::string catalogue = m_demo + "/voice.csv";
    StandIn robotE(cardE, {"--catalogue", catalogue});
    StandIn robotF(cardF, {"--catalogue", catalogue});
    const std::string ini =
        Ini("[SOUND]\nDEFAULT=0\n[REMOTE]\nCONNECT_TYPE=1\nREMOTE_DIR=" + cardE +
            "/\nREMOTE_MERGIN=500\n[DRIVES]\nE=" + cardE + "\nF=" + cardF + "\n");
    const int index = PlayListIndex("duet-cards");
    ASSERT_GE(index, 0);
    std::string script = "click 1028\nclick 1022\nselect " + std::to_string(index) + "\nclick 3\n";
    for (int i = 0; i < 12; ++i)
        script += "tick\n";
    const RunResult result = RunScript(m_demo, ini, script);
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out.find("message"), std::string::npos) << result.out;

    // "E:," and the line without a target (the chosen card, REMOTE_DIR) go to
    // card E, "F:," lines to card F; the drive route's volume word of V = 100
    // is 0 and its target time always 0.
    const std::vector<std::string> expectedE = {VoiceLine(101, 0, 0), VoiceLine(107, 0, 0),
                                                VoiceLine(112, 0, 0), VoiceLine(103, 0, 0)};
    const std::vector<std::string> expectedF = {VoiceLine(102, 0, 0), VoiceLine(108, 0, 0),
                                                VoiceLine(113, 0, 0)};
    EXPECT_EQ(Settled(robotE, expectedE.size()), expectedE);
    EXPECT_EQ(Settled(robotF, expectedF.size()), expectedF);
}

TEST_F(RobotStandInTest, DriveCommandsInAPlainFileAreFoundByPolling) {
    const std::string card = Card("card", false);
    StandIn robot(card,
                  {"--catalogue", m_demo + "/Ninshiki.csv", "--catalogue", m_demo + "/voice.csv"});
    const std::string ini = Ini("[SOUND]\nDEFAULT=0\n[REMOTE]\nCONNECT_TYPE=1\nREMOTE_DIR=" + card +
                                "/\nPROGRAM_FOLDER=" + m_demo + "/programs\n");
    const Row& word = m_ninshiki.at(2);
    const std::vector<std::pair<std::string, std::string>> steps = {
        {"click 1028\nselect 0\nclick 3\n", VoiceLine(101, 0, 0)},
        // The same record again is a new command: the file was written anew.
        {"click 1028\nselect 0\nclick 3\n", VoiceLine(101, 0, 0)},
        {"select 1\nclick 3\n", ClipLine(-2, 2, 0, 0, 0, 0, word.label)},
        {"click 1021\nselect 1\nclick 3\n", ProgramLine(0)},
        {"click 1021\nselect 2\nclick 3\n", WavLine(0, 0)},
        {"volume 50\nclick 1028\nselect 1\nclick 3\n", VoiceLine(102, 2, 0)},
    };
    std::vector<std::string> expected;
    for (const auto& [script, line] : steps) {
        const RunResult result = RunScript(m_demo, ini, script);
        ASSERT_EQ(result.status, 0) << result.out;
        EXPECT_EQ(result.out.find("message"), std::string::npos) << result.out;
        expected.push_back(line);
        // The next command waits until this one was seen, as a user would.
        EXPECT_EQ(robot.RobotLines(expected.size()), expected);
    }
    EXPECT_EQ(Settled(robot, expected.size()), expected);

    // A file that is not one record is reported; an emptied one is not.
    testsupport::WriteFile(card + "/ADDON/REMOTE.LOG", "abc");
    expected.push_back("robot: ignored REMOTE.LOG of 3 bytes");
    EXPECT_EQ(robot.RobotLines(expected.size()), expected);
    testsupport::WriteFile(card + "/ADDON/REMOTE.LOG", "");
    EXPECT_EQ(Settled(robot, expected.size()), expected);
}

TEST_F(RobotStandInTest, OldRecordIsNotCarriedOutAgainAndUnknownIdsHaveNoLabel) {
    const std::string card = Card("card", false);
    // A record left from an earlier session.
    const std::string old("\xFF\xFF\x65\x00\x04\x00\x19\x00\x00\x00\x00\x00\x00\x00\x00\x00", 16);
    testsupport::WriteFile(card + "/ADDON/REMOTE.LOG", old);
    StandIn robot(card, {"--catalogue", m_demo + "/voice.csv", "--poll", "20"});
    EXPECT_TRUE(robot.RobotLines(1, std::chrono::milliseconds(300)).empty());
    // Sound id 4321 is in no catalogue.
    testsupport::WriteFile(card + "/ADDON/REMOTE.LOG",
                           std::string("\xFF\xFF\xE1\x10\x02\x00\x19\x00\x04\x00\x00\x00"
                                       "\x00\x00\x00\x00",
                                       16));
    EXPECT_EQ(Settled(robot, 1), std::vector<std::string>{ClipLine(-1, 4321, 2, 25, 4, 0, "")});
}

TEST_F(RobotStandInTest, PlaySoundsTheClipWithoutStopping) {
    const std::string card = Card("card", false);
    StandIn robot(card, {"--catalogue", m_demo + "/voice.csv", "--play"},
                  {{"SDL_AUDIODRIVER", "dummy"}});
    EXPECT_NE(robot.AllLines().at(1).find("clips play on this PC"), std::string::npos)
        << robot.ErrorOutput();
    const std::string ini = Ini("[SOUND]\nDEFAULT=0\n[REMOTE]\nCONNECT_TYPE=1\nREMOTE_DIR=" + card +
                                "/\nPROGRAM_FOLDER=" + m_demo + "/programs\n");
    RunResult result = RunScript(m_demo, ini, "click 1028\nselect 0\nclick 3\n");
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(robot.RobotLines(1), std::vector<std::string>{VoiceLine(101, 0, 0)});
    result = RunScript(m_demo, ini, "click 1021\nselect 2\nclick 3\n");
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(robot.RobotLines(2).size(), 2u);
    EXPECT_TRUE(robot.Running());
    EXPECT_EQ(robot.ErrorOutput().find("cannot play"), std::string::npos) << robot.ErrorOutput();
}

TEST(RobotStandInOptions, RobotOptionsNeedRobot) {
    testsupport::TempDir work;
    const RunResult result =
        RunProgram({CardBin(), "--root", work.Path(), "--catalogue", "x.csv"}, "");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.out.find("need --robot"), std::string::npos) << result.out;
    const RunResult missing = RunProgram(
        {CardBin(), "--root", work.Path(), "--robot", "--catalogue", work / "none.csv"}, "");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.out.find("cannot read the catalogue"), std::string::npos) << missing.out;
}
