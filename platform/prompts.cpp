#include "platform/prompts.h"

#include "platform/dialog_host.h"
#include "platform/paths.h"

namespace platform {

void ModalDialogLogic::OnCommand(DialogHost& host, int id, int notification) {
    if (notification == kNotifyClicked && (id == kIdOk || id == kIdCancel))
        host.EndDialog(id);
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
