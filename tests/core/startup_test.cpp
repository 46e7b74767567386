// The settings read at construction, start-up against the main dialog and
// shut-down.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/start_folder.h"
#include "platform/dialog_host.h"
#include "platform/paths.h"
#include "playback/audio/recording_backend.h"
#include "support/player_fixture.h"

namespace {
bool Has(const std::vector<std::string>& log, const std::string& line) {
    return std::find(log.begin(), log.end(), line) != log.end();
}
} // namespace

class StartupTest : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        Put("Ninshiki.csv", "h\n1,あ,x,a.wav,1,1,1\n");
    }
};

// The trackbar vectors of tests/fixtures/vectors/volume.txt.
TEST_F(StartupTest, TrackbarPositionFromSettingsOrScale) {
    PutWav("voice/Ninshiki/NF01.wav");
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

TEST_F(StartupTest, FailedSettingsWritesAreToldOnceAndTheValueStaysForTheSession) {
    PutWav("voice/Ninshiki/NF01.wav");
    Settings("[SOUND]\nVOICE_FOLDER=./voice\n");
    auto& p = InitedPlayer();
    // A folder name with a line break cannot be stored (it would add lines).
    for (const char* folder : {"/d/a\r[REMOTE]\rCONNECT_TYPE=2", "/d/b\nc"}) {
        m_prompts->QueueChoice(std::string(folder) + "/voice/Ninshiki/NF01.wav");
        EXPECT_TRUE(p.SelectVoiceFolder());
        EXPECT_EQ(p.Settings().voiceFolder, std::string(folder) + "/voice");
        EXPECT_EQ(p.ReadSetting("SOUND", "VOICE_FOLDER", ""), p.Settings().voiceFolder);
    }
    EXPECT_EQ(std::count_if(m_log.begin(), m_log.end(),
                            [](const std::string& l) { return l.starts_with("message"); }),
              1);
    EXPECT_TRUE(Has(m_log, "message 128 none: 設定ファイル[" + (m_dir / "Voxlet.ini") +
                               "]の書込みに失敗しました。\\n改行を含む値は保存できません。"
                               "\\n変更した設定はプログラムを終了すると失われます。 -> OK"));
    EXPECT_EQ(SettingsText(), "[SOUND]\nVOICE_FOLDER=./voice\n");
}

TEST_F(StartupTest, FailedAudioShowsMessage124AndStartUpGoesOn) {
    PutWav("voice/Ninshiki/NF01.wav");
    m_audio.SetBackend(std::make_unique<RecordingAudioBackend>(
        [this](const std::string& l) { m_log.push_back(l); },
        RecordingAudioBackend::Options{.failOpen = true}));
    InitedPlayer();
    EXPECT_TRUE(Has(m_log, "audio open -> fail"));
    EXPECT_TRUE(Has(
        m_log, "message 124 error: 音声の初期化に失敗しました。\\n音声の再生はできません。 -> OK"));
    EXPECT_EQ(ListLines(), std::vector<std::string>{"あ"});
}

TEST_F(StartupTest, TheMissingClipsQuestionChoosesADataFolderThatLaterStartsEnter) {
    // The current folder has a catalogue but no clips; "data" has both.
    Put("data/Ninshiki.csv", "h\n1,い,x,a.wav,1,1,1\n");
    PutWav("data/voice/Ninshiki/NF01.wav");
    Put("share/voxlet/demo/Ninshiki.csv", "h\n");
    const std::string data = m_dir / "data";
    for (const std::string& folder : {m_dir / "share", data}) {
        m_prompts->QueueAnswer(platform::kIdExtra);
        m_prompts->QueueChoice(folder);
    }
    InitedPlayer();
    EXPECT_EQ(ListLines(), std::vector<std::string>{"い"});
    EXPECT_EQ(std::count_if(m_log.begin(), m_log.end(),
                            [](const std::string& l) { return l.starts_with("message 105"); }),
              2);
    EXPECT_TRUE(Has(m_log, "message 133 warning: フォルダー[" + (m_dir / "share") +
                               "]にNinshiki.csvがありません。 -> OK"));
    EXPECT_TRUE(Has(m_log, "ini write [DATA] DATA_FOLDER=" + data));

    // A start in a folder without a catalogue enters the remembered folder,
    // or the installed demo set once that folder has lost its catalogue.
    const std::string bin = m_dir / "bin/";
    std::filesystem::create_directories(bin);
    for (const std::string& expected : {data, testsupport::Native(m_dir / "share/voxlet/demo")}) {
        ASSERT_TRUE(platform::SetCurrentFolder(bin));
        const StartFolder start = EnterDataFolder(bin, m_dir / "Voxlet.ini");
        EXPECT_EQ(start.folder, expected);
        EXPECT_EQ(start.demo, expected != data);
        EXPECT_TRUE(platform::PathExists("Ninshiki.csv"));
        std::filesystem::remove(data + "/Ninshiki.csv");
    }
}

TEST_F(PlayerTest, SettingsAreReadAtConstruction) {
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
}

TEST_F(PlayerTest, FlashAirListsAreBounded) {
    Put("Ninshiki.csv", "h\n");
    std::string list;
    for (int i = 0; i < 200; ++i)
        list += (i ? "," : "") + std::string("h") + std::to_string(i);
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
