// The player fixture with prompts that record every message and save dialog,
// for the tests of the program export.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/prompts.h"
#include "support/player_fixture.h"

// The headless prompts of the fixture, keeping the save dialogs' specs and
// calling onMessage as a message shows.
class SavePrompts final : public platform::Prompts {
public:
    explicit SavePrompts(platform::Prompts& inner) : m_inner(inner) {}
    int Message(int id, std::string_view text, const platform::MessageStyle& style) override {
        if (onMessage)
            onMessage(id);
        return m_inner.Message(id, text, style);
    }
    std::optional<std::string> FileOpen(const platform::FileDialogSpec& spec) override {
        return m_inner.FileOpen(spec);
    }
    std::optional<std::string> FileSave(const platform::FileDialogSpec& spec) override {
        saveDialogs.push_back(spec);
        return m_inner.FileSave(spec);
    }
    int RunModal(platform::ModalDialogLogic& dialog) override { return m_inner.RunModal(dialog); }
    std::vector<platform::FileDialogSpec> saveDialogs;
    std::function<void(int)> onMessage;

private:
    platform::Prompts& m_inner;
};

class ExportTest : public PlayerTest {
protected:
    void SetUp() override;

    // A path below the working folder.
    std::string At(const std::string& name) const { return m_dir / name; }
    std::string Read(const std::string& name) const { return testsupport::ReadFile(At(name)); }
    bool Exists(const std::string& name) const;

    // The catalogues and play lists of tests/fixtures/export/tree.
    void PutCatalogues();
    // A player constructed now (it loads Ninshiki.csv); its messages so far
    // are dropped.
    CVoicePlayer& Player();
    // The player switched to mode 1 with voice.csv loaded.
    CVoicePlayer& VoicePlayer();
    // List 1000 holds the one line `text`, selected; radio 1022 checked or not.
    void ShowLine(const std::string& text, bool playListRadio = false);
    // Runs button 7 with the given file-dialog choice (nullopt: cancel).
    void Export(std::optional<std::string> choice);

    // A golden file of tests/fixtures/export.
    static std::string Golden(const std::string& name);
    // The messages shown since the player was made ("message ID ICON: TEXT -> ANSWER").
    std::vector<std::string> Messages() const;

    std::unique_ptr<SavePrompts> m_recorded;
};

// Occurrences of `what` in `text`.
std::size_t Count(const std::string& text, std::string_view what);
