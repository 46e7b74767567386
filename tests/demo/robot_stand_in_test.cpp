// End to end: the demo set played through voxlet-script to robot stand-ins
// (voxlet-card --robot). Each stand-in must report exactly the commands
// addressed to it, in order: two FlashAir stand-ins on loopback, and two card
// folders (named pipes as REMOTE.LOG) reached through drive letters.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/stat.h>

#include "demo/demo_support.h"
#include "support/card_process.h"

namespace fs = std::filesystem;
using namespace demotest;
using Lines = std::vector<std::string>;

class RobotStandInTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("http_proxy");
        setenv("no_proxy", "*", 1);
        for (const Row& row : ReadCatalogue(m_demo + "/voice.csv"))
            m_voice[row.id] = row;
    }
    // A robot stand-in serving root; it watches once its second line is out.
    std::unique_ptr<testsupport::CardProcess> StandIn(const std::string& root) {
        auto card = std::make_unique<testsupport::CardProcess>(
            root, std::vector<std::string>{"--robot", "--catalogue", m_demo + "/voice.csv"});
        card->OutputLines(1);
        return card;
    }
    static Lines RobotLines(const testsupport::CardProcess& card, std::size_t count) {
        return card.OutputLines(count, "robot: ");
    }
    // A Tiko-voice clip at volume word 0, as a stand-in prints it.
    std::string Voice(int id, int targetTime) const {
        const Row& row = m_voice.at(id);
        return "robot: marker=-1 code=" + std::to_string(id) +
               " length=" + std::to_string(row.seconds * 2) +
               " interval=25 volume=0 target-time=" + std::to_string(targetTime) + " label=\"" +
               row.label + "\"";
    }
    // Plays the play list `name` (Tiko mode, category 1022) with the settings.
    void PlayList(const std::string& name, const std::string& settings) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_demo + "/voice/play_list"))
            names.push_back(entry.path().stem().string());
        std::sort(names.begin(), names.end());
        const auto index = std::find(names.begin(), names.end(), name) - names.begin();
        std::string script = "click 1028\nclick 1022\nselect " + std::to_string(index) +
                             "\nexpect 1000 text=\"" + name + "\"\nclick 3\n";
        for (int i = 0; i < 12; ++i)
            script += "tick\n";
        testsupport::WriteFile(m_work / "Voxlet.ini", "[SOUND]\nDEFAULT=0\n[REMOTE]\n" + settings);
        const RunResult result = RunScript(m_demo, m_work / "Voxlet.ini", script);
        ASSERT_EQ(result.status, 0) << result.out;
        EXPECT_EQ(result.out.find("message"), std::string::npos) << result.out;
    }

    const std::string m_demo = VOXLET_DEMO_DIR;
    testsupport::TempDir m_work;
    std::map<int, Row> m_voice;
};

TEST_F(RobotStandInTest, FlashAirPlayListReachesEachRobotInOrder) {
    fs::create_directories(m_work / "robot1");
    fs::create_directories(m_work / "robot2");
    const auto robot1 = StandIn(m_work / "robot1"), robot2 = StandIn(m_work / "robot2");
    PlayList("duet-flashair", "CONNECT_TYPE=2\nFLASHAIR=" + robot1->Host() + "," + robot2->Host() +
                                  "\nFLASHAIR_TIME=0,500\nREMOTE_MERGIN=500\n");
    // "1:," lines go to the first card, "2:," lines to the second, a line
    // without a target to both (with each card's FLASHAIR_TIME).
    EXPECT_EQ(RobotLines(*robot1, 4),
              (Lines{Voice(101, 0), Voice(107, 0), Voice(112, 0), Voice(103, 0)}));
    EXPECT_EQ(RobotLines(*robot2, 4),
              (Lines{Voice(102, 500), Voice(108, 500), Voice(112, 500), Voice(113, 500)}));
}

TEST_F(RobotStandInTest, DrivePlayListReachesEachCardInOrder) {
    std::map<std::string, std::unique_ptr<testsupport::CardProcess>> robots;
    for (const char* card : {"E", "F"}) {
        const std::string root = m_work / card;
        fs::create_directories(root + "/ADDON");
        ASSERT_EQ(mkfifo((root + "/ADDON/REMOTE.LOG").c_str(), 0644), 0);
        fs::copy_file(m_demo + "/card/ADDON/音声再生.TM4", root + "/ADDON/音声再生.TM4");
        robots[card] = StandIn(root);
    }
    PlayList("duet-cards", "CONNECT_TYPE=1\nREMOTE_DIR=" + (m_work / "E") +
                               "/\nREMOTE_MERGIN=500\n[DRIVES]\nE=" + (m_work / "E") +
                               "\nF=" + (m_work / "F") + "\n");
    // "E:," lines and the line without a target (the chosen card) go to card
    // E, "F:," lines to card F; the drive route's target time is always 0.
    EXPECT_EQ(RobotLines(*robots["E"], 4),
              (Lines{Voice(101, 0), Voice(107, 0), Voice(112, 0), Voice(103, 0)}));
    EXPECT_EQ(RobotLines(*robots["F"], 3), (Lines{Voice(102, 0), Voice(108, 0), Voice(113, 0)}));
}
