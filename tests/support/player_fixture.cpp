#include "support/player_fixture.h"

#include <filesystem>

#include "platform/paths.h"
#include "playback/audio/audio_backend.h"
#include "playback/audio/recording_backend.h"
#include "resources/templates.h"

void PlayerTest::SetUp() {
    m_oldCwd = std::filesystem::current_path().string();
    ASSERT_TRUE(platform::SetCurrentFolder(m_dir.Path()));
    auto log = [this](const std::string& l) { m_log.push_back(l); };
    m_prompts = std::make_unique<platform::HeadlessPrompts>(log);
    m_services.prompts = m_prompts.get();
    m_services.settingsPath = m_dir / "Voxlet.ini";
    m_services.sleep = [log](int ms) { log("sleep " + std::to_string(ms)); };
    m_services.now = [] { return std::int64_t{1'700'000'000}; };
    m_services.profileWrite = [log](std::string_view s, std::string_view k, std::string_view v) {
        log("ini write [" + std::string(s) + "] " + std::string(k) + "=" + std::string(v));
    };
    m_audio.SetBackend(std::make_unique<RecordingAudioBackend>(log));
    m_services.audio = &m_audio;
}

void PlayerTest::TearDown() {
    m_player.reset();
    m_host.reset();
    (void)platform::SetCurrentFolder(m_oldCwd);
}

void PlayerTest::Put(const std::string& name, const std::string& text) {
    const bool dataFile = name.ends_with(".csv") || name.ends_with(".txt");
    testsupport::WriteFile(m_dir / name, dataFile ? testsupport::Cp932Crlf(text) : text);
}

void PlayerTest::Settings(const std::string& text) {
    testsupport::WriteFile(m_dir / "Voxlet.ini", text);
}

void PlayerTest::PutWav(const std::string& name) {
    testsupport::WriteFile(m_dir / name, testsupport::MakeWav(8000, 80));
}

std::string PlayerTest::SettingsText() const {
    return testsupport::ReadFile(m_dir / "Voxlet.ini");
}

CVoicePlayer& PlayerTest::Player() {
    if (!m_player)
        m_player = std::make_unique<CVoicePlayer>(m_services);
    return *m_player;
}

platform::HeadlessDialogHost& PlayerTest::Dialog() {
    if (!m_host)
        m_host = std::make_unique<platform::HeadlessDialogHost>(
            MainDialogTemplate(), [this](const std::string& l) { m_log.push_back(l); });
    return *m_host;
}

CVoicePlayer& PlayerTest::InitedPlayer() {
    Player().InitPlayer(Dialog());
    return Player();
}

CVoicePlayer& PlayerTest::InMode(int mode) {
    for (const char* name : {"Ninshiki.csv", "voice.csv", "voice2.csv"})
        if (!platform::PathExists(m_dir / name))
            Put(name, "h\n");
    EXPECT_TRUE(Player().ChangeMode(mode, Dialog()));
    return Player();
}

std::vector<std::string> PlayerTest::ListLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < Dialog().ListCount(ctl::kClipList); ++i)
        lines.push_back(Dialog().ListGetText(ctl::kClipList, i));
    return lines;
}
