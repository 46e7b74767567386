// The generated demo voice set: its files (catalogues as CP932 with CR LF and
// a header, a clip for every row whose length matches the row, play lists, the
// program folder, the card template), the same output on every run, the tone
// fallback without espeak-ng, and what voxlet-script shows of it: at least two
// lines in every enabled category of both modes, both models and the hidden
// catalogue.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "demo/demo_support.h"
#include "platform/text.h"
#include "playback/audio/wav_header.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using namespace demotest;

namespace {

const char* const kCatalogues[] = {"Ninshiki.csv", "voice.csv", "voice2.csv", "ura_voice.csv"};

// CP932 that decodes without a replacement and encodes back to the same
// bytes; every line ends with CR LF.
void ExpectCp932Crlf(const std::string& path) {
    const std::string bytes = testsupport::ReadFile(path);
    ASSERT_FALSE(bytes.empty()) << path;
    const std::string utf8 = platform::Cp932ToUtf8(bytes);
    EXPECT_EQ(utf8.find("\xEF\xBF\xBD"), std::string::npos) << path << " does not decode as CP932";
    bool exact = false;
    EXPECT_EQ(platform::Utf8ToCp932(utf8, &exact), bytes) << path;
    EXPECT_TRUE(exact) << path;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << path << ": LF without CR at " << i;
        }
        if (bytes[i] == '\r') {
            ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n')
                << path << ": CR without LF at " << i;
        }
    }
    EXPECT_TRUE(bytes.ends_with("\r\n")) << path;
}

int RoundedSeconds(const WavInfo& info) {
    return static_cast<int>((2ull * info.dataSize + info.byteRate) / (2ull * info.byteRate));
}

// The sound ids a play list names, by the sequencer's line rules; 0 for pauses.
std::vector<int> PlayListIds(const std::string& path) {
    std::vector<int> ids;
    platform::TextRowReader reader(path);
    while (auto row = reader.ReadRow()) {
        const std::string& line = *row;
        std::string body;
        const auto c0 = static_cast<unsigned char>(line.empty() ? 0 : line[0]);
        if (line.size() >= 3 && ((c0 >= '1' && c0 <= '9') || std::isalpha(c0)) && line[1] == ':' &&
            line[2] == ',')
            body = line.substr(3);
        else if (std::isdigit(c0) || (line.size() >= 2 && line[1] == ':'))
            body = line;
        else
            continue;
        ids.push_back(std::atoi(body.c_str()));
    }
    return ids;
}

// Every check of the issue on a generated folder.
void CheckDemoSet(const std::string& dir) {
    SCOPED_TRACE(dir);
    std::map<std::string, std::vector<Row>> catalogues;
    unsigned flagsUsed = 0;
    std::set<int> sets;
    for (const char* name : kCatalogues) {
        SCOPED_TRACE(name);
        const std::string path = dir + "/" + name;
        ASSERT_TRUE(fs::is_regular_file(path));
        ExpectCp932Crlf(path);
        const std::string bytes = testsupport::ReadFile(path);
        EXPECT_TRUE(platform::Cp932ToUtf8(bytes.substr(0, bytes.find('\r')))
                        .starts_with("セット,テキスト,"))
            << "no header line";
        const auto rows = ReadCatalogue(path);
        ASSERT_GE(rows.size(), 20u);
        bool excluded = false;
        for (const Row& row : rows) {
            SCOPED_TRACE(row.label);
            EXPECT_TRUE(row.columns.size() == 7 || row.columns.size() == 19);
            if (row.columns.size() == 19) {
                for (int column = 8; column <= 19; ++column)
                    if (row.columns[column - 1] == "1")
                        flagsUsed |= 1u << (19 - column);
            }
            excluded |= (row.flags & 0x800) != 0;
            if (!row.setEmpty)
                sets.insert(row.set);
            // The clip: in both recognition folders for recognition words.
            std::string file = row.file;
            std::replace(file.begin(), file.end(), '\\', '/');
            std::vector<std::string> clips;
            if (std::string(name) == "Ninshiki.csv")
                clips = {dir + "/voice/Ninshiki/" + file, dir + "/voice/NF/" + file};
            else
                clips = {dir + "/voice/" + file};
            for (const auto& clip : clips) {
                const WavCheck check = CheckWavFile(clip);
                ASSERT_TRUE(check.ok()) << clip << ": " << check.message;
                EXPECT_EQ(RoundedSeconds(check.info), row.seconds) << clip;
                EXPECT_GE(row.seconds, 1) << clip;
            }
        }
        EXPECT_TRUE(excluded) << "no row flagged 0x800";
        catalogues[name] = rows;
    }
    EXPECT_EQ(flagsUsed, 0xFFFu) << "every flag column 8..19 holds a 1 somewhere";
    for (int set : {1, 2, 4, 8, 16, 32, 33})
        EXPECT_TRUE(sets.count(set)) << "no row of voice set " << set;
    for (const char* name : {"voice.csv", "voice2.csv"}) {
        const auto& rows = catalogues[name];
        EXPECT_TRUE(
            std::any_of(rows.begin(), rows.end(), [](const Row& r) { return r.id == 1000; }))
            << name << " has no row with sound id 1000";
    }
    // Rows of the categories that model 1 never enables (radio 1011).
    for (const auto& [name, mask] :
         {std::pair<std::string, unsigned>{"Ninshiki.csv", 1u}, {"voice.csv", 1u}}) {
        const auto taken = TakenRows(catalogues[name], mask);
        EXPECT_GE(std::count_if(taken.begin(), taken.end(),
                                [](const Row& r) { return (r.flags & 0x400) != 0; }),
                  2)
            << name;
    }

    // Play lists: CP932, CR LF, and every id in both Tiko-voice catalogues.
    const auto names = PlayListNames(dir);
    EXPECT_GE(names.size(), 2u);
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        const std::string path = dir + "/voice/play_list/" + name + ".txt";
        ExpectCp932Crlf(path);
        const auto ids = PlayListIds(path);
        EXPECT_FALSE(ids.empty());
        for (const char* catalogue : {"voice.csv", "voice2.csv"}) {
            for (int id : ids) {
                const auto& rows = catalogues[catalogue];
                EXPECT_TRUE(id == 0 || std::any_of(rows.begin(), rows.end(),
                                                   [&](const Row& r) { return r.id == id; }))
                    << "id " << id << " missing from " << catalogue;
            }
        }
    }

    // The program folder: a program of our own export and a WAV.
    const std::string program = dir + "/programs/greetings.TM4";
    ExpectCp932Crlf(program);
    const std::string text = testsupport::ReadFile(program);
    EXPECT_TRUE(text.starts_with("<medit>\r\n\t<format data=\"2\"/>\r\n</medit>\r\n"));
    EXPECT_NE(text.find("<block name=\"SOUND ID 101\""), std::string::npos);
    EXPECT_NE(text.find("<play filename=\"voice\\tiko\\T101.wav\"/>"), std::string::npos);
    EXPECT_TRUE(text.ends_with("<wait size=\"1\" adr=\"0x0b43\"/>\r\n"));
    EXPECT_TRUE(CheckWavFile(dir + "/programs/fanfare.wav").ok());

    // The card template and the settings.
    EXPECT_TRUE(fs::is_regular_file(dir + "/card/ADDON/REMOTE.LOG"));
    EXPECT_EQ(fs::file_size(dir + "/card/ADDON/REMOTE.LOG"), 0u);
    EXPECT_TRUE(fs::is_regular_file(dir + "/card/ADDON/音声再生.TM4"));
    EXPECT_NE(testsupport::ReadFile(dir + "/Voxlet-demo.ini").find("PROGRAM_FOLDER=programs"),
              std::string::npos);
}

// Every regular file below a folder, by relative path, with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), dir).string()] =
                testsupport::ReadFile(entry.path().string());
    return files;
}

void ExpectSameFiles(const std::string& a, const std::string& b) {
    const auto first = Snapshot(a);
    const auto second = Snapshot(b);
    ASSERT_EQ(first.size(), second.size());
    for (const auto& [name, bytes] : first) {
        const auto other = second.find(name);
        ASSERT_NE(other, second.end()) << name;
        EXPECT_TRUE(other->second == bytes) << name << " differs between two runs";
    }
}

RunResult Generate(const std::string& out, bool tones) {
    std::vector<std::string> argv = {GeneratorBin(),    "--resources", ResourcesDir(), "--out", out,
                                     "--voxlet-script", ScriptBin()};
    if (tones)
        argv.push_back("--tones");
    return RunProgram(argv, "");
}

} // namespace

TEST(DemoSet, BuiltSetIsComplete) {
    CheckDemoSet(DemoDir());
}

TEST(DemoSet, ToneFallbackIsCompleteAndRepeats) {
    testsupport::TempDir work;
    const RunResult first = Generate(work / "a", true);
    ASSERT_EQ(first.status, 0) << first.out;
    EXPECT_NE(first.out.find("as tone sequences"), std::string::npos) << first.out;
    CheckDemoSet(work / "a");
    // A tone sequence lasts the whole seconds of its row exactly.
    const WavCheck check = CheckWavFile(work / "a/voice/Ninshiki/NF01.wav");
    ASSERT_TRUE(check.ok());
    EXPECT_EQ(check.info.dataSize % check.info.byteRate, 0u);

    // The environment variable forces the fallback too, and a second run (over
    // the first one's output) writes the same bytes.
    const RunResult second = RunProgram({GeneratorBin(), "--resources", ResourcesDir(), "--out",
                                         work / "b", "--voxlet-script", ScriptBin()},
                                        "", {{"VOXLET_DEMO_TONES", "1"}});
    ASSERT_EQ(second.status, 0) << second.out;
    ExpectSameFiles(work / "a", work / "b");
    ASSERT_EQ(Generate(work / "b", true).status, 0);
    ExpectSameFiles(work / "a", work / "b");
}

TEST(DemoSet, SpeechRepeats) {
    if (RunProgram({"/bin/sh", "-c", "command -v espeak-ng"}, "").status != 0)
        GTEST_SKIP() << "espeak-ng is not installed";
    testsupport::TempDir work;
    const RunResult first = Generate(work / "a", false);
    ASSERT_EQ(first.status, 0) << first.out;
    EXPECT_NE(first.out.find("spoken by espeak-ng"), std::string::npos) << first.out;
    CheckDemoSet(work / "a");
    ASSERT_EQ(Generate(work / "b", false).status, 0);
    ExpectSameFiles(work / "a", work / "b");
}

TEST(DemoSet, GeneratorRefusesBadSources) {
    testsupport::TempDir work;
    fs::copy(ResourcesDir(), work / "res", fs::copy_options::recursive);
    std::string source = testsupport::ReadFile(work / "res/voice.txt");
    source += "1 | 101 | 1 | 0 | もういちど | もういちど\n"; // a sound id twice
    testsupport::WriteFile(work / "res/voice.txt", source);
    RunResult result = RunProgram({GeneratorBin(), "--resources", work / "res", "--out",
                                   work / "out", "--voxlet-script", ScriptBin(), "--tones"},
                                  "");
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.out.find("the sound id 101 occurs twice"), std::string::npos) << result.out;

    fs::copy_file(ResourcesDir() + "/voice.txt", work / "res/voice.txt",
                  fs::copy_options::overwrite_existing);
    testsupport::WriteFile(work / "res/play_list/bad.txt",
                           "101 ; \xF0\x9F\x98\x80\n"); // no CP932 form
    result = RunProgram({GeneratorBin(), "--resources", work / "res", "--out", work / "out",
                         "--voxlet-script", ScriptBin(), "--tones"},
                        "");
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.out.find("without a CP932 form"), std::string::npos) << result.out;
}

namespace {

// One state block of a transcript: radios and the clip list.
struct State {
    std::map<int, bool> enabled;
    int checked = -1; // the checked category radio
    int mode = -1;    // 1027 or 1028
    std::vector<std::string> list;
};

std::vector<State> ParseStates(const std::string& transcript) {
    std::vector<State> states;
    std::istringstream in(transcript);
    State* current = nullptr;
    bool inList = false;
    for (std::string line; std::getline(in, line);) {
        if (line == "state") {
            states.emplace_back();
            current = &states.back();
            inList = false;
            continue;
        }
        if (!current)
            continue;
        if (line == "end") {
            current = nullptr;
            continue;
        }
        if (inList && line.starts_with("    ")) {
            const auto quote = line.find('"');
            current->list.push_back(line.substr(quote + 1, line.rfind('"') - quote - 1));
            continue;
        }
        inList = false;
        std::istringstream words(line);
        int id = 0;
        std::string kind;
        if (!(words >> id >> kind))
            continue;
        if (kind == "list" && id == 1000) {
            inList = true;
        } else if (kind == "radio") {
            const bool checked = line.ends_with(" checked");
            if (id >= 1001 && id <= 1023) {
                current->enabled[id] = line.find("\" disabled") == std::string::npos;
                if (checked)
                    current->checked = id;
            } else if ((id == 1027 || id == 1028) && checked) {
                current->mode = id;
            }
        }
    }
    return states;
}

struct Config {
    int model;
    unsigned version;
    int connectType;
};

// Clicks every category radio with a state after each; returns the states.
std::string ClickEveryCategory() {
    std::string script;
    for (int radio = 1001; radio <= 1023; ++radio)
        script += "click " + std::to_string(radio) + "\nstate\n";
    return script;
}

// Checks, from the state before each click, that every enabled radio shows at
// least two lines once clicked. Returns the radios found disabled.
std::set<int> CheckCategories(const std::vector<State>& states, std::size_t first, int mode,
                              const std::string& what) {
    SCOPED_TRACE(what);
    std::set<int> disabled;
    for (int radio = 1001; radio <= 1023; ++radio) {
        const std::size_t at = first + static_cast<std::size_t>(radio - 1001);
        const State& before = states.at(at);
        const State& after = states.at(at + 1);
        EXPECT_EQ(after.mode, mode);
        if (!before.enabled.at(radio)) {
            disabled.insert(radio);
            continue;
        }
        EXPECT_EQ(after.checked, radio);
        EXPECT_GE(after.list.size(), 2u) << "radio " << radio << " shows too few lines";
    }
    return disabled;
}

} // namespace

TEST(DemoSet, EveryEnabledCategoryShowsTwoLines) {
    const std::string dir = DemoDir();
    const auto voice = ReadCatalogue(dir + "/voice.csv");
    const auto voice2 = ReadCatalogue(dir + "/voice2.csv");
    const auto ura = ReadCatalogue(dir + "/ura_voice.csv");
    const Config configs[] = {
        {1, 1, 0},  // a fresh start: no settings file
        {1, 31, 1}, // every voice set, the drive route (the program category)
        {2, 33, 0}, // model 2 as the settings dialog stores it
        {2, 63, 1},
    };
    for (const Config& config : configs) {
        const std::string what = "model " + std::to_string(config.model) + ", VERSION " +
                                 std::to_string(config.version) + ", route " +
                                 std::to_string(config.connectType);
        SCOPED_TRACE(what);
        testsupport::TempDir work;
        const std::string ini = work / "Voxlet.ini";
        testsupport::WriteFile(
            ini, "[DATA]\nVERSION=" + std::to_string(config.version) +
                     "\n[SOUND]\nTIKO=" + std::to_string(config.model) +
                     "\n[REMOTE]\nCONNECT_TYPE=" + std::to_string(config.connectType) +
                     "\nPROGRAM_FOLDER=" + dir + "/programs\n");
        // The row that opens the hidden catalogue, in its category's list.
        const auto taken = TakenRows(config.model == 2 ? voice2 : voice, config.version | 1);
        int category = -1;
        int index = 0;
        for (const Row& row : taken) {
            if (row.id == 1000) {
                category = row.category;
                break;
            }
        }
        ASSERT_GE(category, 1);
        for (const Row& row : taken) {
            if (row.id == 1000)
                break;
            if (row.category == category)
                ++index;
        }
        const std::string script =
            "state\n" + ClickEveryCategory() + "click 1028\nstate\n" + ClickEveryCategory() +
            "click 1028\nclick " + std::to_string(1000 + category) + "\nselect " +
            std::to_string(index) + "\nclick 3\nstate\n" + ClickEveryCategory();
        const RunResult result = RunScript(dir, ini, script);
        ASSERT_EQ(result.status, 0) << result.out;
        EXPECT_EQ(result.out.find("message"), std::string::npos) << result.out;
        const auto states = ParseStates(result.out);
        ASSERT_EQ(states.size(), 3u * 24u) << result.out;

        const auto mode0 = CheckCategories(states, 0, 1027, "recognition words");
        const auto mode1 = CheckCategories(states, 24, 1028, "Tiko voices");
        // The hidden catalogue is open: its first category lists its rows.
        const auto uraFirst = TakenRows(ura, config.version | 1);
        ASSERT_FALSE(states[48].list.empty());
        EXPECT_EQ(states[48].list[0], uraFirst[0].label);
        const auto hidden = CheckCategories(states, 48, 1028, "hidden catalogue");

        // With every voice set (and a card route) nothing stays disabled but
        // radio 1011 for model 1; its rows are checked above by their flags.
        if (config.connectType == 1) {
            const std::set<int> expected =
                config.model == 1 ? std::set<int>{1011} : std::set<int>{};
            EXPECT_EQ(mode0, expected);
            EXPECT_EQ(mode1, expected);
            EXPECT_EQ(hidden, expected);
        }
    }
}
