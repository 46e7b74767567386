// The prompts seam on Win32: MessageBoxW with the application name as
// caption (a task dialog for a question with a third button), owned by the innermost running
// dialog; the common file dialogs (GetOpenFileNameW, GetSaveFileNameW) with the request's filter,
// default extension, title and start folder; the shell's folder browser; template dialogs run
// modally (Win32Dialog).
#pragma once

#include <cstdint>

#include "platform/prompts.h"

namespace voxwin {

class Win32Prompts final : public platform::Prompts {
public:
    // COM, apartment-threaded, on the constructing thread for the prompts'
    // life, as the folder browser's new-style dialog needs: the program makes
    // its prompts first on its UI thread and keeps them until it ends.
    Win32Prompts();
    ~Win32Prompts() override;
    Win32Prompts(const Win32Prompts&) = delete;
    Win32Prompts& operator=(const Win32Prompts&) = delete;
    int Message(int stringId, std::string_view text, const platform::MessageStyle& style) override;
    std::optional<std::string> FileOpen(const platform::FileDialogSpec& spec) override;
    std::optional<std::string> FileSave(const platform::FileDialogSpec& spec) override;
    // The shell's folder browser, starting in initialFolder.
    std::optional<std::string> ChooseFolder(const std::string& title,
                                            const std::string& initialFolder) override;
    int RunModal(platform::ModalDialogLogic& dialog) override;

private:
    bool m_com; // this object's COM initialisation, undone by the destructor
};

// MessageBoxW style bits (buttons, icon, default button) for a message style.
std::uint32_t MessageBoxFlags(const platform::MessageStyle& style);

} // namespace voxwin
