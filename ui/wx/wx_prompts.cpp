#include "ui/wx/wx_prompts.h"

#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <algorithm>
#include <cctype>

#include "platform/dialog_host.h"
#include "platform/paths.h"
#include "resources/labels.h"
#include "ui/wx/wx_template_dialog.h"
#include "ui/wx/wx_text.h"

namespace voxwx {

namespace {

wxWindow* PromptParent() {
    return WxTemplateDialog::Innermost();
}

std::vector<std::string> SplitBars(std::string_view text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t bar = text.find('|', start);
        if (bar == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            break;
        }
        parts.emplace_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    return parts;
}

bool EndsWithExtension(std::string_view name, std::string_view ext) {
    if (name.size() <= ext.size() || name[name.size() - ext.size() - 1] != '.')
        return false;
    const std::string_view tail = name.substr(name.size() - ext.size());
    return std::equal(tail.begin(), tail.end(), ext.begin(), ext.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

// The initial name with the default extension when it does not end in it
// ("greetings" -> "greetings.TM4", "a.b" -> "a.b.TM4"). wx would otherwise
// take an extension from the filter's pattern, which is "[tT][mM]4" here.
std::string ProposedName(std::string_view name, std::string_view ext) {
    if (ext.empty() || EndsWithExtension(name, ext))
        return std::string(name);
    return std::string(name) + "." + std::string(ext);
}

// The folder itself when it exists, else its nearest existing ancestor,
// made absolute against the current folder.
std::string ExistingFolder(const std::string& folder) {
    wxFileName dir = wxFileName::DirName(ToWx(platform::ResolvePath(folder)));
    dir.MakeAbsolute();
    while (!dir.DirExists() && dir.GetDirCount() > 0)
        dir.RemoveLastDir();
    return ToUtf8(dir.GetPath());
}

} // namespace

long MessageBoxStyle(const platform::MessageStyle& style) {
    long bits = 0;
    if (style.buttons == platform::MsgButtons::YesNo) {
        bits |= wxYES_NO;
        bits |= style.defaultButton == platform::kIdNo ? wxNO_DEFAULT : wxYES_DEFAULT;
        if (!style.extraButton.empty())
            bits |= wxHELP; // the one more button a GTK message box can have
    } else {
        bits |= wxOK;
    }
    switch (style.icon) {
    case platform::MsgIcon::Error:
        bits |= wxICON_ERROR;
        break;
    case platform::MsgIcon::Warning:
        bits |= wxICON_WARNING;
        break;
    case platform::MsgIcon::Info:
        bits |= wxICON_INFORMATION;
        break;
    case platform::MsgIcon::Question:
        bits |= wxICON_QUESTION;
        break;
    case platform::MsgIcon::None:
        bits |= wxICON_NONE;
        break;
    }
    return bits;
}

// Prompts come up inside a busy scope too (a chooser for the card, a failure
// message): the user answers them with the normal cursor.
int WxPrompts::Message(int, std::string_view text, const platform::MessageStyle& style) {
    wxBusyCursorSuspender notBusy;
    const long bits = MessageBoxStyle(style);
    wxMessageDialog box(PromptParent(), ToWx(text), ToWx(platform::ApplicationName()), bits);
    // The program's own labels: the toolkit's follow the system language.
    if (bits & wxYES_NO)
        box.SetYesNoLabels(ToWx(labels::kYesButton), ToWx(labels::kNoButton));
    else
        box.SetOKLabel(ToWx(labels::kOkButton));
    if (bits & wxHELP)
        box.SetHelpLabel(ToWx(style.extraButton));
    const int rc = box.ShowModal();
    if (style.buttons == platform::MsgButtons::YesNo) {
        if (rc == wxID_HELP)
            return platform::kIdExtra;
        return rc == wxID_YES ? platform::kIdYes : platform::kIdNo;
    }
    return platform::kIdOk;
}

std::string CaseInsensitivePattern(std::string_view pattern) {
    std::string out;
    for (char ch : pattern) {
        const auto u = static_cast<unsigned char>(ch);
        if (std::isalpha(u)) {
            out += '[';
            out += static_cast<char>(std::tolower(u));
            out += static_cast<char>(std::toupper(u));
            out += ']';
        } else {
            out += ch;
        }
    }
    return out;
}

WxFileDialogParts FileDialogParts(const platform::FileDialogSpec& spec) {
    WxFileDialogParts parts;
    // "label|pattern|label|pattern||": pairs up to the empty entry.
    const auto fields = SplitBars(spec.filter);
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        if (fields[i].empty())
            break;
        if (!parts.wildcard.empty())
            parts.wildcard += '|';
        parts.wildcard += fields[i] + '|';
        // A pattern list ("*.wav;*.mp3") keeps its separators.
        std::string patterns;
        std::size_t start = 0;
        const std::string& p = fields[i + 1];
        while (start <= p.size()) {
            std::size_t semi = p.find(';', start);
            if (semi == std::string::npos)
                semi = p.size();
            if (!patterns.empty())
                patterns += ';';
            patterns += CaseInsensitivePattern(std::string_view(p).substr(start, semi - start));
            start = semi + 1;
        }
        parts.wildcard += patterns;
    }
    std::string folder = spec.folder;
    if (!spec.initialName.empty()) {
        parts.file = ProposedName(platform::BaseName(spec.initialName), spec.defaultExt);
        if (std::string own = platform::CutAtLastSeparator(spec.initialName); !own.empty())
            folder = std::move(own);
    }
    if (!folder.empty())
        parts.folder = ExistingFolder(folder);
    return parts;
}

std::string WithDefaultExtension(const std::string& path, std::string_view ext) {
    if (ext.empty())
        return path;
    const std::string_view name = platform::BaseName(path);
    if (name.find('.') != std::string_view::npos)
        return path;
    return path + "." + std::string(ext);
}

namespace {
std::optional<std::string> RunFileDialog(const platform::FileDialogSpec& spec, long style,
                                         std::string_view defaultTitle) {
    wxBusyCursorSuspender notBusy;
    WxFileDialogParts parts = FileDialogParts(spec);
    // A save starts where it can write (not in the installed demo set).
    if ((style & wxFD_SAVE) &&
        !platform::FolderIsWritable(parts.folder.empty() ? std::string(".") : parts.folder))
        parts.folder = ToUtf8(wxGetHomeDir());
    wxFileDialog dialog(PromptParent(), ToWx(spec.title.empty() ? defaultTitle : spec.title),
                        ToWx(parts.folder), ToWx(parts.file), ToWx(parts.wildcard), style);
    if (dialog.ShowModal() != wxID_OK)
        return std::nullopt;
    return WithDefaultExtension(ToUtf8(dialog.GetPath()), spec.defaultExt);
}
} // namespace

// The read-only check box that hideReadOnly hides does not exist in GTK's
// file chooser; nothing to hide.
std::optional<std::string> WxPrompts::FileOpen(const platform::FileDialogSpec& spec) {
    return RunFileDialog(spec, wxFD_OPEN, labels::kOpenTitle);
}

std::optional<std::string> WxPrompts::FileSave(const platform::FileDialogSpec& spec) {
    return RunFileDialog(spec, wxFD_SAVE | (spec.overwritePrompt ? wxFD_OVERWRITE_PROMPT : 0),
                         labels::kSaveAsTitle);
}

std::optional<std::string> WxPrompts::ChooseFolder(const std::string& title,
                                                   const std::string& initialFolder) {
    wxBusyCursorSuspender notBusy;
    wxDirDialog dialog(PromptParent(), ToWx(title), ToWx(ExistingFolder(initialFolder)),
                       wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK)
        return std::nullopt;
    return ToUtf8(dialog.GetPath());
}

int WxPrompts::RunModal(platform::ModalDialogLogic& logic) {
    wxBusyCursorSuspender notBusy;
    WxTemplateDialog dialog(PromptParent(), logic);
    return dialog.RunModal();
}

} // namespace voxwx
