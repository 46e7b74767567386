#include "support/player_fixture.h"

#include <filesystem>

#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/sleep.h"
#include "playback/audio/audio.h"
#include "playback/audio/audio_backend.h"
#include "playback/audio/recording_backend.h"
#include "resources/templates.h"

void PlayerTest::SetUp() {
    m_oldCwd = std::filesystem::current_path().string();
    ASSERT_TRUE(platform::SetCurrentFolder(m_dir.Path()));
    platform::SetSettingsPathOverride(m_dir / "Voxlet.ini");
    auto log = [this](const std::string& l) { m_log.push_back(l); };
    m_prompts = std::make_unique<platform::HeadlessPrompts>(log);
    platform::SetPrompts(m_prompts.get());
    platform::SetSleepFunction([log](int ms) { log("sleep " + std::to_string(ms)); });
    platform::SetTimeFunction([] { return std::int64_t{1'700'000'000}; });
    platform::SetProfileWriteHook(
        [log](std::string_view s, std::string_view k, std::string_view v) {
            log("ini write [" + std::string(s) + "] " + std::string(k) + "=" + std::string(v));
        });
    SetAudioBackend(std::make_unique<RecordingAudioBackend>(log));
}

void PlayerTest::TearDown() {
    m_player.reset();
    m_host.reset();
    CloseAudio();
    SetAudioBackend(nullptr);
    platform::SetProfileWriteHook(nullptr);
    platform::SetSleepFunction(nullptr);
    platform::SetTimeFunction(nullptr);
    platform::SetPrompts(nullptr);
    platform::SetSettingsPathOverride(std::nullopt);
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

void PlayerTest::FailAudioOpen() {
    RecordingAudioBackend::Options options;
    options.failOpen = true;
    SetAudioBackend(std::make_unique<RecordingAudioBackend>(
        [this](const std::string& l) { m_log.push_back(l); }, options));
}

CVoicePlayer& PlayerTest::Player() {
    if (!m_player)
        m_player = std::make_unique<CVoicePlayer>();
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

std::vector<std::string> PlayerTest::ListLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < Dialog().ListCount(ctl::kClipList); ++i)
        lines.push_back(Dialog().ListGetText(ctl::kClipList, i));
    return lines;
}
