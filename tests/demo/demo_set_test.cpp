// The generated demo voice set: catalogues as CP932 with CR LF, a clip for
// every row lasting the row's seconds, play lists, the program folder and the
// card template; the same bytes on every run; bad sources refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "demo/demo_support.h"
#include "platform/text.h"
#include "playback/audio/wav_header.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using namespace demotest;

namespace {

// Decodes without a replacement, encodes back to the same bytes, CR LF only.
void ExpectCp932Crlf(const std::string& path) {
    const std::string bytes = testsupport::ReadFile(path);
    bool exact = false;
    EXPECT_EQ(platform::Utf8ToCp932(platform::Cp932ToUtf8(bytes), &exact), bytes) << path;
    EXPECT_TRUE(exact && bytes.ends_with("\r\n")) << path;
    std::size_t lf = 0, crlf = 0;
    for (std::size_t i = 0; (i = bytes.find('\n', i)) != std::string::npos; ++i, ++lf)
        crlf += i > 0 && bytes[i - 1] == '\r';
    EXPECT_EQ(lf, crlf) << path;
}

void CheckDemoSet(const std::string& dir) {
    SCOPED_TRACE(dir);
    for (const char* name : {"Ninshiki.csv", "voice.csv", "voice2.csv", "ura_voice.csv"}) {
        ExpectCp932Crlf(dir + "/" + name);
        const auto rows = ReadCatalogue(dir + "/" + name);
        EXPECT_GE(rows.size(), 20u) << name;
        for (const Row& row : rows) {
            std::string file = row.file;
            std::replace(file.begin(), file.end(), '\\', '/');
            const std::string clip =
                dir + (std::string(name) == "Ninshiki.csv" ? "/voice/Ninshiki/" : "/voice/") + file;
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

std::map<std::string, std::string> Snapshot(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), dir).string()] = testsupport::ReadFile(entry.path());
    return files;
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
                          "", {"VOXLET_DEMO_TONES=1"});
    };
    const RunResult first = generate(VOXLET_DEMO_RESOURCES, work / "a");
    ASSERT_EQ(first.status, 0) << first.out;
    EXPECT_NE(first.out.find("as tone sequences"), std::string::npos) << first.out;
    CheckDemoSet(work / "a");
    ASSERT_EQ(generate(VOXLET_DEMO_RESOURCES, work / "b").status, 0);
    EXPECT_TRUE(Snapshot(work / "a") == Snapshot(work / "b"));

    fs::copy(VOXLET_DEMO_RESOURCES, work / "res", fs::copy_options::recursive);
    std::ofstream(work / "res/voice.txt", std::ios::app) << "1 | 101 | 1 | 0 | x | x\n";
    const RunResult bad = generate(work / "res", work / "c");
    EXPECT_NE(bad.status, 0);
    EXPECT_NE(bad.out.find("the sound id 101 occurs twice"), std::string::npos) << bad.out;
}
