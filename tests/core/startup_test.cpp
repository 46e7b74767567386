// Start-up against the main dialog and shut-down.
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
