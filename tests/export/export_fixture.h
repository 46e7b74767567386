// The player fixture with prompts that record every message and save dialog,
// for the tests of the program export.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/prompts.h"
#include "support/player_fixture.h"

// Prompts that record every message and file dialog and answer from queues.
class RecordingPrompts final : public platform::Prompts {
public:
    struct Shown {
        int id;
        std::string text;
        platform::MessageStyle style;
    };

    int Message(int stringId, std::string_view text, const platform::MessageStyle& style) override;
    std::optional<std::string> FileOpen(const platform::FileDialogSpec&) override {
        ADD_FAILURE() << "the export opens no file-open dialog";
        return std::nullopt;
    }
    std::optional<std::string> FileSave(const platform::FileDialogSpec& spec) override;
    int RunModal(platform::ModalDialogLogic&) override {
        ADD_FAILURE() << "the export runs no modal dialog";
        return platform::kIdCancel;
    }

    std::vector<Shown> messages;
    std::vector<platform::FileDialogSpec> saveDialogs;
    std::deque<int> answers;                        // kIdYes / kIdNo for questions
    std::deque<std::optional<std::string>> choices; // file dialog results
    std::function<void(int)> onMessage;             // called as a message shows
    // The ids of the messages shown, in order.
    std::vector<int> Ids() const;
    // "id icon buttons: text" of message i, icon and buttons by name.
    std::string Describe(std::size_t i) const;
};

class ExportTest : public PlayerTest {
protected:
    void SetUp() override;

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
    // List 1000 holds the one line `text`, selected; radio 1022 checked or not.
    void ShowLine(const std::string& text, bool playListRadio = false);
    // Runs button 7 with the given file-dialog choice (nullopt: cancel).
    void Export(std::optional<std::string> choice);

    // A golden file of tests/fixtures/export.
    static std::string Golden(const std::string& name);

    RecordingPrompts m_recorded;
};

// Occurrences of `what` in `text`.
std::size_t Count(const std::string& text, std::string_view what);
