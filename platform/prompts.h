// The prompts seam: message boxes by string-table id, file dialogs, and modal
// dialogs. A program's composition root makes one and hands it down in its
// Services (core/services.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

class DialogHost;
struct DialogTemplate;

enum class MsgIcon { None, Error, Warning, Info, Question };
enum class MsgButtons { Ok, YesNo };

struct MessageStyle {
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    int defaultButton = 0; // 0: the first button; otherwise kIdYes/kIdNo
    // With YesNo: the label of a third button, which answers kIdExtra; empty
    // for none.
    std::string_view extraButton;
};

// The answer of MessageStyle::extraButton.
constexpr int kIdExtra = 100;

struct FileDialogSpec {
    std::string defaultExt;  // "wav", "TM4", "LOG"
    std::string initialName; // may be empty
    std::string filter;      // "label|pattern||" as the Windows dialogs take it
    bool hideReadOnly = true;
    bool overwritePrompt = false;
    std::string title;  // "" for the toolkit's open or save title
    std::string folder; // where to start when initialName names no folder
};

// The logic of a dialog: the host calls OnInitDialog once the controls exist
// and OnCommand for each click, selection change or notification. The
// window's own events (its timer, a vertical trackbar's scroll, a system-menu
// command, its destruction) reach the logic too; only the main dialog takes
// them, the defaults ignore them. Nothing reaches the logic after the dialog
// has ended, except OnDestroy, which comes once while the controls still exist.
class ModalDialogLogic {
public:
    virtual ~ModalDialogLogic() = default;
    virtual const DialogTemplate& Template() const = 0;
    virtual void OnInitDialog(DialogHost& host) = 0;
    // Default handling: buttons kIdOk/kIdCancel end the dialog.
    virtual void OnCommand(DialogHost& host, int id, int notification);
    virtual void OnTimer(DialogHost& /*host*/, int /*timerId*/) {}
    virtual void OnVScroll(DialogHost& /*host*/) {}
    virtual void OnSysCommand(DialogHost& /*host*/, int /*command*/) {}
    virtual void OnDestroy(DialogHost& /*host*/) {}
};

// Notifications delivered with OnCommand. kNotifySelChange: a combo box's
// selection, or a notifying list box's, changed by the user.
constexpr int kNotifyClicked = 0;
constexpr int kNotifyDoubleClick = 2;
constexpr int kNotifySelChange = 1;
// An edit field's text changed (as the user typed it, or as the logic set it).
constexpr int kNotifyEditChange = 0x300;
// Enter and Esc pressed in an edit field that takes them itself (the find box).
constexpr int kNotifyEnterKey = 0x7001;
constexpr int kNotifyEscapeKey = 0x7002;

class Prompts {
public:
    virtual ~Prompts() = default;

    // Shows a message; stringId is its string-table entry or -1 for a text that
    // is not one. Returns kIdOk, kIdYes, kIdNo or kIdExtra.
    virtual int Message(int stringId, std::string_view text, const MessageStyle& style) = 0;
    // nullopt when the user cancelled.
    virtual std::optional<std::string> FileOpen(const FileDialogSpec& spec) = 0;
    virtual std::optional<std::string> FileSave(const FileDialogSpec& spec) = 0;
    // A folder chooser titled title, starting in initialFolder; nullopt when
    // the user cancelled (and where no chooser can be shown).
    virtual std::optional<std::string> ChooseFolder(const std::string& /*title*/,
                                                    const std::string& /*initialFolder*/) {
        return std::nullopt;
    }
    // Runs a dialog modally; returns the result it ended with.
    virtual int RunModal(ModalDialogLogic& dialog) = 0;
};

// The application name, the caption of every message box: the executable's
// base name without its extension.
std::string ApplicationName();

} // namespace platform
