// Prompts without a screen: questions and file dialogs take answers queued in
// advance, and every prompt is written to a log in the runner's transcript
// format. A question or file dialog with no queued answer is an error
// (HeadlessPromptError); an OK-only message needs none.
#pragma once

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>

#include "platform/prompts.h"

namespace platform {

class HeadlessPromptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class HeadlessPrompts final : public Prompts {
public:
    using Log = std::function<void(const std::string&)>;
    using ModalRunner = std::function<int(ModalDialogLogic&)>;

    explicit HeadlessPrompts(Log log);

    // Answers: kIdOk, kIdYes, kIdNo or kIdExtra (a question's third button)
    // for messages; a path or nullopt (cancel) for file and folder dialogs.
    void QueueAnswer(int answer) { m_answers.push_back(answer); }
    void QueueChoice(std::optional<std::string> path) { m_choices.push_back(std::move(path)); }
    void SetModalRunner(ModalRunner runner) { m_modalRunner = std::move(runner); }

    int Message(int stringId, std::string_view text, const MessageStyle& style) override;
    std::optional<std::string> FileOpen(const FileDialogSpec& spec) override;
    std::optional<std::string> FileSave(const FileDialogSpec& spec) override;
    std::optional<std::string> ChooseFolder(const std::string& title,
                                            const std::string& initialFolder) override;
    int RunModal(ModalDialogLogic& dialog) override;

private:
    std::optional<std::string> FileDialog(const char* kind, const FileDialogSpec& spec);
    // Logs the dialog's line with the next queued choice and returns it.
    std::optional<std::string> TakeChoice(const std::string& line, const std::string& kind);
    Log m_log;
    std::deque<int> m_answers;
    std::deque<std::optional<std::string>> m_choices;
    ModalRunner m_modalRunner;
};

} // namespace platform
