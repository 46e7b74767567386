// A working folder, a settings file and headless prompts for tests of the
// player: the current directory is the temporary folder while a test runs.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/voice_player.h"
#include "support/test_support.h"
#include "tools/headless/headless_host.h"
#include "tools/headless/headless_prompts.h"

class PlayerTest : public ::testing::Test {
protected:
    explicit PlayerTest(bool inMemory = false) : m_dir(inMemory) {}
    void SetUp() override;
    void TearDown() override;

    // Writes a file below the working folder; ".csv" and ".txt" files given
    // in UTF-8 with LF are stored as CP932 with CR LF.
    void Put(const std::string& name, const std::string& text);
    // Writes the settings file (UTF-8, as given).
    void Settings(const std::string& text);
    // A valid WAV below the working folder.
    void PutWav(const std::string& name);
    std::string SettingsText() const;

    // A player constructed now, and a headless main dialog.
    CVoicePlayer& Player();
    platform::HeadlessDialogHost& Dialog();
    // The player initialised against the dialog.
    CVoicePlayer& InitedPlayer();
    // The player switched to the mode by ChangeMode, over empty catalogues
    // where the test wrote none.
    CVoicePlayer& InMode(int mode);
    std::vector<std::string> ListLines();

    testsupport::TempDir m_dir;
    std::string m_oldCwd;
    std::vector<std::string> m_log;
    std::unique_ptr<platform::HeadlessPrompts> m_prompts;
    PcAudio m_audio;     // over a back end that writes to the log
    Services m_services; // the headless prompts, a virtual clock, the log's hooks
    std::unique_ptr<CVoicePlayer> m_player;
    std::unique_ptr<platform::HeadlessDialogHost> m_host;
};
