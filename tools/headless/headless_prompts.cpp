#include "tools/headless/headless_prompts.h"

#include "platform/dialog_host.h"
#include "tools/headless/headless_host.h"

namespace platform {

namespace {
const char* IconName(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Error:
        return "error";
    case MsgIcon::Warning:
        return "warning";
    case MsgIcon::Info:
        return "info";
    case MsgIcon::Question:
        return "question";
    case MsgIcon::None:
        break;
    }
    return "none";
}

const char* AnswerName(int answer) {
    switch (answer) {
    case kIdYes:
        return "YES";
    case kIdNo:
        return "NO";
    case kIdExtra:
        return "OTHER";
    default:
        return "OK";
    }
}
} // namespace

HeadlessPrompts::HeadlessPrompts(Log log) : m_log(std::move(log)) {}

int HeadlessPrompts::Message(int stringId, std::string_view text, const MessageStyle& style) {
    std::string line = "message " + (stringId < 0 ? std::string("-") : std::to_string(stringId)) +
                       " " + IconName(style.icon) + ": " + EscapeLineBreaks(text);
    int answer = kIdOk;
    if (style.buttons == MsgButtons::YesNo) {
        if (m_answers.empty() || m_answers.front() == kIdOk) {
            m_log(line + " -> ?");
            throw HeadlessPromptError("question " +
                                      (stringId < 0 ? std::string("-") : std::to_string(stringId)) +
                                      " has no queued answer yes|no");
        }
        answer = m_answers.front();
        m_answers.pop_front();
        if (answer == kIdExtra && style.extraButton.empty()) {
            m_log(line + " -> ?");
            throw HeadlessPromptError("question " + std::to_string(stringId) +
                                      " has no third button for answer other");
        }
    } else if (!m_answers.empty() && m_answers.front() == kIdOk) {
        m_answers.pop_front(); // an explicit "answer ok" is consumed by an OK box
    }
    m_log(line + " -> " + AnswerName(answer));
    return answer;
}

std::optional<std::string> HeadlessPrompts::FileDialog(const char* kind,
                                                       const FileDialogSpec& spec) {
    return TakeChoice(std::string(kind) + " defext=" + spec.defaultExt +
                          " initial=" + spec.initialName + " filter=" + spec.filter,
                      kind);
}

std::optional<std::string> HeadlessPrompts::TakeChoice(const std::string& line,
                                                       const std::string& kind) {
    if (m_choices.empty()) {
        m_log(line + " -> ?");
        throw HeadlessPromptError(kind + " dialog has no queued choose line");
    }
    auto choice = m_choices.front();
    m_choices.pop_front();
    m_log(line + " -> " + (choice ? *choice : std::string("cancel")));
    return choice;
}

std::optional<std::string> HeadlessPrompts::ChooseFolder(const std::string& title,
                                                         const std::string&) {
    // The starting folder is left out: it is the working folder's absolute
    // path, which differs from run to run.
    return TakeChoice("folder-open " + title, "folder");
}

std::optional<std::string> HeadlessPrompts::FileOpen(const FileDialogSpec& spec) {
    return FileDialog("file-open", spec);
}

std::optional<std::string> HeadlessPrompts::FileSave(const FileDialogSpec& spec) {
    return FileDialog("file-save", spec);
}

int HeadlessPrompts::RunModal(ModalDialogLogic& dialog) {
    if (!m_modalRunner)
        throw HeadlessPromptError("no modal dialog runner");
    return m_modalRunner(dialog);
}

} // namespace platform
