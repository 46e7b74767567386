// The settings read at construction, start-up against the main dialog and
// shut-down, and the layout of the dialogs.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/start_folder.h"
#include "platform/dialog_host.h"
#include "platform/paths.h"
#include "resources/templates.h"
#include "support/player_fixture.h"

// The trackbar vectors of tests/fixtures/vectors/volume.txt.
TEST_F(PlayerTest, TrackbarPositionFromSettingsOrScale) {
    PutWav("voice/Ninshiki/NF01.wav");
    Put("Ninshiki.csv", "h\n");
    for (const auto& v : testsupport::Vectors("volume.txt")) {
        if (v[0] != "trackbar")
            continue;
        Settings(v[1]);
        m_player.reset();
        m_host.reset();
        InitedPlayer();
        EXPECT_EQ(Dialog().TrackGetPos(ctl::kVolume), std::stoi(v[2])) << v[1];
    }
}

// Where a start goes: a start folder with a catalogue stays unless it is the
// program's own (spelled otherwise), where the remembered data folder wins;
// then a catalogue beside the program; then the installed demo set, laid out
// as the install rules or the Windows zip lay it out (the scenarios
// missing_voice_data_folder and double_click_data_folder store and use it).
TEST_F(PlayerTest, AStartKeepsItsFolderOrEntersTheDataFolderOrTheDemoSet) {
    const bool windows = testsupport::WindowsBuild();
    const std::string data = m_dir / "data";
    const char* demo = windows ? "Bin/demo" : "share/voxlet/demo";
    for (const std::string folder : {"data", "bin", "tiko", demo})
        Put(folder + "/Ninshiki.csv", "h\n");
    Settings("[DATA]\nDATA_FOLDER=" + data + "\n");
    const struct {
        std::string current, loses, expected;
    } starts[] = {{"tiko", "", ""}, {"bin", "", data}, {"bin", "data", ""}, {"bin", "bin", demo}};
    for (const auto& s : starts) {
        std::filesystem::remove(m_dir / (s.loses + "/Ninshiki.csv")); // none at the top
        ASSERT_TRUE(platform::SetCurrentFolder(m_dir / s.current));
        const StartFolder start = EnterDataFolder(m_dir / (windows ? "BIN/../Bin/" : "bin/../bin/"),
                                                  m_dir / "Voxlet.ini");
        EXPECT_EQ(start.folder,
                  s.expected == demo ? testsupport::Native(m_dir / demo) : s.expected);
        EXPECT_EQ(start.demo, s.expected == demo);
        EXPECT_TRUE(platform::PathExists("Ninshiki.csv"));
    }
}

TEST_F(PlayerTest, SettingsAreReadAtConstructionAndFlashAirListsAreBounded) {
    Put("Ninshiki.csv", "h\n");
    Settings("[SOUND]\nTIKO=2\nVOLUME=-2000\nNINSHIKI_VOICE=2\n[LIST]\nNINSHIKI1_DEFAULT=9\n"
             "NINSHIKI2_DEFAULT=3,,5\nVOICE_DEFAULT=8\nVOICE2_DEFAULT=4\n[REMOTE]\n"
             "ALTERNAME_DRIVE=E:\nFLASHAIR=a,,b\nFLASHAIR_TIME=5\n");
    auto& p = Player();
    EXPECT_EQ(p.Link().altDrive, 'E');
    EXPECT_EQ(p.Settings().volumeMin, -2000);
    EXPECT_EQ(p.Settings().volumeMax, 1000);     // no upper bound given
    EXPECT_FALSE(p.Settings().recognitionVoice); // only 1 counts as on
    EXPECT_EQ(p.Targets().hosts, (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(*p.Targets().times, (std::vector<std::int16_t>{5, 0, 0}));
    // The list defaults of the model's key: pieces, gaps as 0, the rest -1.
    const auto& defaults = p.Settings().listDefaults;
    EXPECT_EQ(std::vector<int>(defaults.begin(), defaults.begin() + 4),
              (std::vector<int>{3, 0, 5, -1}));
    p.LoadListDefaults(MODE_VOICE);
    EXPECT_EQ(p.Settings().listDefaults[0], 4);
    EXPECT_TRUE(testsupport::ReadFile(m_dir / "Voxlet.ini").starts_with("[SOUND]\nTIKO=2\n"));

    // The FlashAir lists are bounded.
    std::string list;
    for (int i = 0; i < 200; ++i)
        list += (i ? "," : "") + std::string("h") + std::to_string(i);
    m_player.reset();
    Settings("[REMOTE]\nFLASHAIR=" + list + "\nFLASHAIR_TIME=1,2,3\n");
    EXPECT_EQ(Player().Targets().hosts.size(), std::size_t{MAX_TARGETS});
    EXPECT_EQ(Player().Targets().hosts.back(), "h127");
    m_player.reset();
    Settings("[REMOTE]\nFLASHAIR=\nFLASHAIR_TIME=1,2,3\n");
    EXPECT_EQ(Player().Targets().hosts, std::vector<std::string>{""});
    EXPECT_EQ(*Player().Targets().times, std::vector<std::int16_t>{1});
    m_player.reset();
    Settings("[REMOTE]\nFLASHAIR=" + std::string(10240, 'x') + "\nREMOTE_MERGIN=250\n");
    EXPECT_EQ(Player().Link().remoteMargin, 250);
    EXPECT_EQ(Player().Targets().hosts[0].size(), 2047u); // bounded by its 2048-byte buffer
}

// The vectors of tests/fixtures/vectors/templates.txt: each listed control,
// the next with its id after the last row's, has its kind, rectangle and
// states; other controls between and after them and a larger dialog pass.
TEST(DialogTemplates, ListedControlsKeepKindPlaceStatesAndOrder) {
    constexpr const char* kKinds[] = {"button", "default", "radio",    "check", "group", "static",
                                      "list",   "edit",    "trackbar", "combo", "icon"};
    // i: in the dialog of the last size row, the place after the last control.
    for (std::size_t i = 0; const auto& v : testsupport::Vectors("templates.txt")) {
        const auto& t = v[0] == "main" ? MainDialogTemplate() : DefineDialogTemplate();
        if (v[1] == "size") {
            EXPECT_GE(t.w, std::stoi(v[2])) << v[0];
            EXPECT_GE(t.h, std::stoi(v[3])) << v[0];
            i = 0;
            continue;
        }
        while (i < t.controls.size() && t.controls[i].id != std::stoi(v[1]))
            ++i;
        ASSERT_LT(i, t.controls.size()) << v[0] << ": no control " << v[1] << " after the last";
        const auto& c = t.controls[i++];
        std::ostringstream got;
        got << kKinds[static_cast<int>(c.kind)] << '|' << c.x << ',' << c.y << ',' << c.w << ','
            << c.h << '|' << std::hex << c.flags;
        EXPECT_EQ(got.str(), v[2] + '|' + v[3] + '|' + v[4]) << v[0] << ' ' << v[1];
    }
}
