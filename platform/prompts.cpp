#include "platform/prompts.h"

#include "platform/dialog_host.h"
#include "platform/paths.h"

namespace platform {

namespace {
Prompts* g_prompts = nullptr;

// Answers every question with its default and cancels every file dialog; in
// force until the program or a tool installs real prompts.
class SilentPrompts final : public Prompts {
public:
    int Message(int, std::string_view, const MessageStyle& style) override {
        if (style.buttons == MsgButtons::Ok)
            return kIdOk;
        return style.defaultButton == kIdNo ? kIdNo : kIdYes;
    }
    std::optional<std::string> FileOpen(const FileDialogSpec&) override { return std::nullopt; }
    std::optional<std::string> FileSave(const FileDialogSpec&) override { return std::nullopt; }
    int RunModal(ModalDialogLogic&) override { return kIdCancel; }
};
} // namespace

void ModalDialogLogic::OnCommand(DialogHost& host, int id, int notification) {
    if (notification == kNotifyClicked && (id == kIdOk || id == kIdCancel))
        host.EndDialog(id);
}

void SetPrompts(Prompts* prompts) {
    g_prompts = prompts;
}

Prompts& GetPrompts() {
    static SilentPrompts silent;
    return g_prompts ? *g_prompts : silent;
}

std::string ApplicationName() {
    std::string exe = ExecutablePath();
    std::string name(BaseName(exe));
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name.empty() ? std::string("Voxlet") : name;
}

} // namespace platform
