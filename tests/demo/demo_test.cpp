// The generated demo voice set (catalogues as CP932 with CR LF, a clip for
// every row lasting the row's seconds, play lists, the program folder and the
// card template; the same bytes on every run; bad sources refused), and the
// set played end to end through voxlet-script to robot stand-ins
// (voxlet-card --robot), each of which must report exactly the commands
// addressed to it, in order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/text.h"
#include "playback/audio/wav_header.h"
#include "support/card_process.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

// Runs the shell command in the folder cwd with its output into the file log;
// true when it ended with status 0.
bool Shell(const std::string& command, const std::string& cwd, const std::string& log) {
    return std::system(
               ("cd '" + cwd + "' && " + command + " </dev/null >'" + log + "' 2>&1").c_str()) == 0;
}

// One catalogue row (the header skipped), the label in UTF-8.
struct Row {
    std::string label, file;
    int id = 0, seconds = 0;
};
std::vector<Row> ReadCatalogue(const std::string& path) {
    std::vector<Row> rows;
    platform::TextRowReader reader(path);
    for (bool header = true; auto line = reader.ReadRow(); header = false) {
        Lines c;
        std::istringstream in(line->substr(0, line->find_last_not_of("\r\n") + 1));
        for (std::string cell; std::getline(in, cell, ',');)
            c.push_back(cell);
        if (!header && c.size() >= 7)
            rows.push_back({platform::Cp932ToUtf8(c[1]), c[3], std::stoi(c[4]), std::stoi(c[5])});
    }
    return rows;
}

// CP932 that the system's converter gives back from its decoding, CR LF only.
void ExpectCp932Crlf(const std::string& path) {
    const std::string bytes = testsupport::ReadFile(path);
    std::string text = platform::Cp932ToUtf8(bytes);
    std::erase(text, '\r');
    EXPECT_EQ(testsupport::Cp932Crlf(text), bytes) << path;
    EXPECT_TRUE(bytes.ends_with("\r\n")) << path;
}

void CheckDemoSet(const std::string& dir) {
    SCOPED_TRACE(dir);
    for (const std::string name : {"Ninshiki.csv", "voice.csv", "voice2.csv", "ura_voice.csv"}) {
        ExpectCp932Crlf(dir + "/" + name);
        const auto rows = ReadCatalogue(dir + "/" + name);
        EXPECT_GE(rows.size(), 20u) << name;
        for (Row row : rows) {
            std::replace(row.file.begin(), row.file.end(), '\\', '/');
            const std::string clip =
                dir + (name == "Ninshiki.csv" ? "/voice/Ninshiki/" : "/voice/") + row.file;
            const WavCheck check = CheckWavFile(clip);
            ASSERT_TRUE(check.ok()) << clip << ": " << check.message;
            const auto rate = check.info.byteRate;
            EXPECT_EQ((2ull * check.info.dataSize + rate) / (2ull * rate), row.seconds) << clip;
        }
    }
    for (const auto& entry : fs::directory_iterator(dir + "/voice/play_list"))
        ExpectCp932Crlf(entry.path().string());
    ExpectCp932Crlf(dir + "/programs/greetings.TM4");
    ExpectCp932Crlf(dir + "/Voxlet-demo.ini");
    EXPECT_TRUE(testsupport::ReadFile(dir + "/programs/greetings.TM4").starts_with("<medit>\r\n"));
    EXPECT_TRUE(CheckWavFile(dir + "/programs/fanfare.wav").ok());
    EXPECT_EQ(fs::file_size(dir + "/card/ADDON/REMOTE.LOG"), 0u);
    EXPECT_TRUE(fs::is_regular_file(dir + "/card/ADDON/音声再生.TM4"));
}

} // namespace

TEST(DemoSet, BuiltSetIsComplete) {
    CheckDemoSet(VOXLET_DEMO_DIR);
}

TEST(DemoSet, ToneFallbackRepeatsAndBadSourcesAreRefused) {
    testsupport::TempDir work;
    const std::string log = work / "log";
    auto generate = [&](const std::string& resources, const std::string& out) {
        return Shell("VOXLET_DEMO_TONES=1 " VOXLET_DEMO_BIN " --resources '" + resources +
                         "' --out '" + out + "' --voxlet-script " VOXLET_SCRIPT_BIN,
                     work.Path(), log);
    };
    ASSERT_TRUE(generate(VOXLET_DEMO_RESOURCES, work / "a")) << testsupport::ReadFile(log);
    EXPECT_NE(testsupport::ReadFile(log).find("as tone sequences"), std::string::npos);
    CheckDemoSet(work / "a");
    ASSERT_TRUE(generate(VOXLET_DEMO_RESOURCES, work / "b"));
    EXPECT_TRUE(Shell("diff -r a b", work.Path(), log)) << testsupport::ReadFile(log); // same bytes

    fs::copy(VOXLET_DEMO_RESOURCES, work / "res", fs::copy_options::recursive);
    std::ofstream(work / "res/voice.txt", std::ios::app) << "1 | 101 | 1 | 0 | x | x\n";
    EXPECT_FALSE(generate(work / "res", work / "c"));
    EXPECT_NE(testsupport::ReadFile(log).find("the sound id 101 occurs twice"), std::string::npos)
        << testsupport::ReadFile(log);
}

// Two FlashAir stand-ins on loopback, and two card folders (named pipes as
// REMOTE.LOG) reached through drive letters, each playing a duet play list
// (Tiko mode, category 1022).
TEST(RobotStandIn, PlayListsReachEachRobotInOrder) {
    const std::string demo = VOXLET_DEMO_DIR;
    std::map<int, Row> voice;
    for (const Row& row : ReadCatalogue(demo + "/voice.csv"))
        voice[row.id] = row;
    // A Tiko-voice clip at volume word 0, as a stand-in prints it.
    auto clip = [&voice](int id, int targetTime) {
        return "robot: marker=-1 code=" + std::to_string(id) +
               " length=" + std::to_string(voice.at(id).seconds * 2) +
               " interval=25 volume=0 target-time=" + std::to_string(targetTime) + " label=\"" +
               voice.at(id).label + "\"";
    };
    for (const bool flashAir : {true, false}) {
        SCOPED_TRACE(flashAir ? "FlashAir" : "drives");
        testsupport::TempDir work;
        std::unique_ptr<testsupport::CardProcess> robots[2];
        for (int i = 0; i < 2; ++i) {
            const std::string root = work / (i ? "F" : "E");
            fs::create_directories(root + "/ADDON");
            if (!flashAir) {
                ASSERT_TRUE(testsupport::MakeFifo(root + "/ADDON/REMOTE.LOG"));
                fs::copy_file(demo + "/card/ADDON/音声再生.TM4", root + "/ADDON/音声再生.TM4");
            }
            robots[i] = std::make_unique<testsupport::CardProcess>(
                root, Lines{"--robot", "--catalogue", demo + "/voice.csv"});
            robots[i]->OutputLines(1); // it watches once its second line is out
        }
        // The play lists in name order: duet-cards, duet-flashair, ...
        const std::string list = flashAir ? "duet-flashair" : "duet-cards";
        std::string script = std::string("click 1028\nclick 1022\nselect ") +
                             (flashAir ? "1" : "0") + "\nexpect 1000 text=\"" + list +
                             "\"\nclick 3\n";
        for (int i = 0; i < 12; ++i)
            script += "tick\n";
        testsupport::WriteFile(work / "run.script", script);
        testsupport::WriteFile(
            work / "Voxlet.ini",
            "[SOUND]\nDEFAULT=0\n[REMOTE]\nREMOTE_MERGIN=500\n" +
                (flashAir ? "CONNECT_TYPE=2\nFLASHAIR=" + robots[0]->Host() + "," +
                                robots[1]->Host() + "\nFLASHAIR_TIME=0,500\n"
                          : "CONNECT_TYPE=1\nREMOTE_DIR=" + (work / "E") +
                                "/\n[DRIVES]\nE=" + (work / "E") + "\nF=" + (work / "F") + "\n"));
        const bool ran = Shell(VOXLET_SCRIPT_BIN " --ini '" + work / "Voxlet.ini" + "' '" +
                                   work / "run.script" + "'",
                               demo, work / "log");
        const std::string out = testsupport::ReadFile(work / "log");
        ASSERT_TRUE(ran) << out;
        ASSERT_EQ(out.find("message"), std::string::npos) << out; // no message box
        // "1:," / "E:," lines go to the first robot, "2:," / "F:," lines to the
        // second; a line without a target goes to both FlashAir cards (with
        // each card's FLASHAIR_TIME) but to the chosen card folder (E) only,
        // whose target time is always 0.
        const int second = flashAir ? 500 : 0;
        EXPECT_EQ(robots[0]->OutputLines(4, "robot: "),
                  (Lines{clip(101, 0), clip(107, 0), clip(112, 0), clip(103, 0)}));
        Lines toSecond = {clip(102, second), clip(108, second), clip(113, second)};
        if (flashAir)
            toSecond.insert(toSecond.begin() + 2, clip(112, second));
        EXPECT_EQ(robots[1]->OutputLines(toSecond.size(), "robot: "), toSecond);
    }
}
