// The generated demo voice set (catalogues as CP932 with CR LF, a clip for
// every row lasting the row's seconds, play lists, the program folder and the
// card template; the same bytes on every run; bad sources refused), and the
// set played end to end through voxlet-script to robot stand-ins
// (voxlet-card --robot), each of which must report exactly the commands
// addressed to it, in order.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

#include "platform/text.h"
#include "playback/audio/wav_header.h"
#include "support/card_process.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

struct RunResult {
    int status = -1; // -1 when the program did not end normally
    std::string out; // its standard output and standard error
};

// Runs argv in the folder cwd with extra "NAME=VALUE" settings (words without
// a single quote).
RunResult RunProgram(const Lines& argv, const std::string& cwd, const Lines& env = {}) {
    std::string command = "cd '" + cwd + "' && env";
    for (const Lines* words : {&env, &argv})
        for (const auto& word : *words)
            command += " '" + word + "'";
    RunResult result;
    FILE* pipe = popen((command + " </dev/null 2>&1").c_str(), "r");
    char buf[4096];
    for (std::size_t n; pipe && (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
        result.out.append(buf, n);
    const int status = pipe ? pclose(pipe) : -1;
    result.status = pipe && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
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

// Decodes without a replacement, encodes back to the same bytes, CR LF only.
void ExpectCp932Crlf(const std::string& path) {
    const std::string bytes = testsupport::ReadFile(path);
    bool exact = false;
    EXPECT_EQ(platform::Utf8ToCp932(platform::Cp932ToUtf8(bytes), &exact), bytes) << path;
    EXPECT_TRUE(exact && bytes.ends_with("\r\n")) << path;
    for (std::size_t i = bytes.find('\n'); i != std::string::npos; i = bytes.find('\n', i + 1))
        ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << path << ": a bare LF at " << i;
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
    auto generate = [&](const std::string& resources, const std::string& out) {
        return RunProgram({VOXLET_DEMO_BIN, "--resources", resources, "--out", out,
                           "--voxlet-script", VOXLET_SCRIPT_BIN},
                          work.Path(), {"VOXLET_DEMO_TONES=1"});
    };
    const RunResult first = generate(VOXLET_DEMO_RESOURCES, work / "a");
    ASSERT_EQ(first.status, 0) << first.out;
    EXPECT_NE(first.out.find("as tone sequences"), std::string::npos) << first.out;
    CheckDemoSet(work / "a");
    ASSERT_EQ(generate(VOXLET_DEMO_RESOURCES, work / "b").status, 0);
    EXPECT_EQ(RunProgram({"diff", "-r", "a", "b"}, work.Path()).status, 0); // the same bytes

    fs::copy(VOXLET_DEMO_RESOURCES, work / "res", fs::copy_options::recursive);
    std::ofstream(work / "res/voice.txt", std::ios::app) << "1 | 101 | 1 | 0 | x | x\n";
    const RunResult bad = generate(work / "res", work / "c");
    EXPECT_NE(bad.status, 0);
    EXPECT_NE(bad.out.find("the sound id 101 occurs twice"), std::string::npos) << bad.out;
}

// Two FlashAir stand-ins on loopback, and two card folders (named pipes as
// REMOTE.LOG) reached through drive letters, each playing a duet play list
// (Tiko mode, category 1022).
TEST(RobotStandIn, PlayListsReachEachRobotInOrder) {
    unsetenv("http_proxy");
    setenv("no_proxy", "*", 1);
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
    Lines lists;
    for (const auto& entry : fs::directory_iterator(demo + "/voice/play_list"))
        lists.push_back(entry.path().stem().string());
    std::sort(lists.begin(), lists.end());

    for (const bool flashAir : {true, false}) {
        SCOPED_TRACE(flashAir ? "FlashAir" : "drives");
        testsupport::TempDir work;
        std::unique_ptr<testsupport::CardProcess> robots[2];
        for (int i = 0; i < 2; ++i) {
            const std::string root = work / (flashAir ? "robot" + std::to_string(i)
                                             : i      ? "F"
                                                      : "E");
            fs::create_directories(root);
            if (!flashAir) {
                fs::create_directories(root + "/ADDON");
                ASSERT_EQ(mkfifo((root + "/ADDON/REMOTE.LOG").c_str(), 0644), 0);
                fs::copy_file(demo + "/card/ADDON/音声再生.TM4", root + "/ADDON/音声再生.TM4");
            }
            robots[i] = std::make_unique<testsupport::CardProcess>(
                root, Lines{"--robot", "--catalogue", demo + "/voice.csv"});
            robots[i]->OutputLines(1); // it watches once its second line is out
        }
        const std::string list = flashAir ? "duet-flashair" : "duet-cards";
        const auto index = std::find(lists.begin(), lists.end(), list) - lists.begin();
        std::string script = "click 1028\nclick 1022\nselect " + std::to_string(index) +
                             "\nexpect 1000 text=\"" + list + "\"\nclick 3\n";
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
        const RunResult result = RunProgram(
            {VOXLET_SCRIPT_BIN, "--ini", work / "Voxlet.ini", work / "run.script"}, demo);
        ASSERT_EQ(result.status, 0) << result.out;
        EXPECT_EQ(result.out.find("message"), std::string::npos) << result.out;
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
