// The prompts seam on wxWidgets: message boxes with the application name as
// caption, the standard file dialogs, and template dialogs run modally.
#pragma once

#include <string>

#include "platform/prompts.h"

namespace voxwx {

class WxPrompts final : public platform::Prompts {
public:
    int Message(int stringId, std::string_view text, const platform::MessageStyle& style) override;
    std::optional<std::string> FileOpen(const platform::FileDialogSpec& spec) override;
    std::optional<std::string> FileSave(const platform::FileDialogSpec& spec) override;
    std::optional<std::string> ChooseFolder(const std::string& title,
                                            const std::string& initialFolder) override;
    // Builds a WxTemplateDialog from the logic's template and runs it modally.
    int RunModal(platform::ModalDialogLogic& dialog) override;
};

// The pieces of a file dialog, from a FileDialogSpec (exposed for tests).
struct WxFileDialogParts {
    std::string wildcard; // "label|pattern|label|pattern" for wxFileDialog
    std::string folder;   // initial folder: the initial name's or the dialog request's, else
                          // its nearest existing ancestor ("" for the current one)
    std::string file;     // initial file name, ending in the default extension
};
WxFileDialogParts FileDialogParts(const platform::FileDialogSpec& spec);

// "*.wav" -> "*.[wW][aA][vV]": GTK file filters match case-sensitively, the
// names they stand for are matched without regard to case (as on Windows).
std::string CaseInsensitivePattern(std::string_view pattern);

// The chosen path with ".ext" appended when its name has no extension.
std::string WithDefaultExtension(const std::string& path, std::string_view ext);

// wxMessageDialog style bits for a message style.
long MessageBoxStyle(const platform::MessageStyle& style);

} // namespace voxwx
