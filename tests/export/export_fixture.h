// A working folder, recording prompts, a player and a headless main dialog
// for the tests of the program export.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/voice_player.h"
#include "platform/headless/headless_host.h"
#include "platform/prompts.h"
#include "support/test_support.h"

// Prompts that record every message and file dialog and answer from queues.
class RecordingPrompts final : public platform::Prompts {
public:
    struct Shown {
        int id;
        std::string text;
        platform::MessageStyle style;
    };

    int Message(int stringId, std::string_view text, const platform::MessageStyle& style) override;
    std::optional<std::string> FileOpen(const platform::FileDialogSpec& spec) override;
    std::optional<std::string> FileSave(const platform::FileDialogSpec& spec) override;
    int RunModal(platform::ModalDialogLogic& dialog) override;

    std::vector<Shown> messages;
    std::vector<platform::FileDialogSpec> saveDialogs;
    std::deque<int> answers;                        // IDYES / IDNO for questions
    std::deque<std::optional<std::string>> choices; // file dialog results
    std::function<void(int)> onMessage;             // called as a message shows
    // The ids of the messages shown, in order.
    std::vector<int> Ids() const;
};

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file below the working folder; ".csv" and ".txt" files given in
    // UTF-8 with LF are stored as CP932 with CR LF.
    void Put(const std::string& name, const std::string& text);
    // A path below the working folder.
    std::string At(const std::string& name) const { return m_dir / name; }
    std::string Read(const std::string& name) const { return testsupport::ReadFile(At(name)); }
    bool Exists(const std::string& name) const;

    // The recognition-word catalogue and the Tiko-voice catalogue of the tests.
    void PutCatalogues();
    // A player constructed now (it loads Ninshiki.csv), with the numbers of
    // the tests; its messages so far are dropped.
    CVoicePlayer& Player();
    // The player switched to mode 1 with voice.csv loaded.
    CVoicePlayer& VoicePlayer();
    platform::HeadlessDialogHost& Dialog();
    // List 1000 holds the one line `text`, selected; radio 1022 checked or not.
    void ShowLine(const std::string& text, bool playListRadio = false);
    // Runs button 7 with the given file-dialog choice (nullopt: cancel).
    void Export(std::optional<std::string> choice);

    // A golden file of tests/fixtures/export.
    static std::string Golden(const std::string& name);

    testsupport::TempDir m_dir;
    std::string m_oldCwd;
    RecordingPrompts m_prompts;
    std::unique_ptr<CVoicePlayer> m_player;
    std::unique_ptr<platform::HeadlessDialogHost> m_host;
};

// Occurrences of `what` in `text`.
std::size_t Count(const std::string& text, std::string_view what);
