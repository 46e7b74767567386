#include "ui/win32/win32_prompts.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include "platform/dialog_host.h"
#include "platform/paths.h"
#include "platform/win32/wide.h"
#include "resources/labels.h"
#include "ui/win32/win32_dialog.h"

namespace voxwin {

using platform::win32::Narrow;
using platform::win32::Widen;

namespace {

// Longest path the file dialogs hand back.
constexpr std::size_t kPathChars = 32768;

// "label|pattern||" -> "label\0pattern\0\0", as the common dialogs take it.
std::wstring FilterString(std::string_view filter) {
    std::wstring wide = Widen(filter);
    for (wchar_t& ch : wide)
        if (ch == L'|')
            ch = L'\0';
    wide.push_back(L'\0');
    return wide;
}

std::optional<std::string> RunFileDialog(const platform::FileDialogSpec& spec, bool save) {
    const std::wstring filter = FilterString(spec.filter);
    const std::wstring ext = Widen(spec.defaultExt);
    const std::wstring title = Widen(!spec.title.empty() ? std::string_view(spec.title)
                                     : save              ? labels::kSaveAsTitle
                                                         : labels::kOpenTitle);
    std::wstring folder;
    std::wstring file(kPathChars, L'\0');
    if (!spec.initialName.empty()) {
        const std::string dir = platform::CutAtLastSeparator(spec.initialName);
        if (!dir.empty())
            folder = Widen(platform::AbsolutePath(platform::ResolvePath(dir)));
        const std::wstring name = Widen(platform::BaseName(spec.initialName));
        file.replace(0, std::min(name.size(), kPathChars - 1), name, 0, kPathChars - 1);
    }
    if (folder.empty() && !spec.folder.empty())
        folder = Widen(platform::AbsolutePath(spec.folder));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = Win32Dialog::Innermost();
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    // The catalogues resolve against the current folder: the dialogs must not
    // change it (the GTK ones do not either).
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (spec.hideReadOnly)
        ofn.Flags |= OFN_HIDEREADONLY;
    if (save && spec.overwritePrompt)
        ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)))
        return std::nullopt;
    return Narrow(file.c_str());
}

} // namespace

std::uint32_t MessageBoxFlags(const platform::MessageStyle& style) {
    std::uint32_t flags = MB_OK;
    if (style.buttons == platform::MsgButtons::YesNo) {
        flags = MB_YESNO;
        if (style.defaultButton == platform::kIdNo)
            flags |= MB_DEFBUTTON2;
    }
    switch (style.icon) {
    case platform::MsgIcon::Error:
        return flags | MB_ICONERROR;
    case platform::MsgIcon::Warning:
        return flags | MB_ICONWARNING;
    case platform::MsgIcon::Info:
        return flags | MB_ICONINFORMATION;
    case platform::MsgIcon::Question:
        return flags | MB_ICONQUESTION;
    case platform::MsgIcon::None:
        break;
    }
    return flags;
}

namespace {

// A Yes/No question with a third button of the caller's label, as a task
// dialog (common controls 6): Yes, No or kIdExtra; nullopt where the system
// has no task dialogs. Escape answers No, as it does in a message box.
std::optional<int> AskWithExtraButton(std::string_view text, const platform::MessageStyle& style) {
    using TaskDialogFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    const auto taskDialog = controls ? reinterpret_cast<TaskDialogFn>(reinterpret_cast<void*>(
                                           GetProcAddress(controls, "TaskDialogIndirect")))
                                     : nullptr;
    if (!taskDialog)
        return std::nullopt;
    const std::wstring content = Widen(text);
    const std::wstring caption = Widen(platform::ApplicationName());
    const std::wstring extra = Widen(style.extraButton);
    const TASKDIALOG_BUTTON buttons[] = {{platform::kIdExtra, extra.c_str()}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = Win32Dialog::Innermost();
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_USE_HICON_MAIN;
    config.dwCommonButtons = TDCBF_YES_BUTTON | TDCBF_NO_BUTTON;
    config.pszWindowTitle = caption.c_str();
    config.hMainIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_QUESTION));
    config.pszContent = content.c_str();
    config.cButtons = 1;
    config.pButtons = buttons;
    config.nDefaultButton = style.defaultButton == platform::kIdNo ? IDNO : IDYES;
    int pressed = 0;
    if (FAILED(taskDialog(&config, &pressed, nullptr, nullptr)))
        return std::nullopt;
    if (pressed == platform::kIdExtra)
        return platform::kIdExtra;
    return pressed == IDYES ? platform::kIdYes : platform::kIdNo;
}

} // namespace

int Win32Prompts::Message(int, std::string_view text, const platform::MessageStyle& style) {
    if (style.buttons == platform::MsgButtons::YesNo && !style.extraButton.empty())
        if (const auto answer = AskWithExtraButton(text, style))
            return *answer;
    const int rc = MessageBoxW(Win32Dialog::Innermost(), Widen(text).c_str(),
                               Widen(platform::ApplicationName()).c_str(), MessageBoxFlags(style));
    if (style.buttons == platform::MsgButtons::YesNo)
        return rc == IDYES ? platform::kIdYes : platform::kIdNo;
    return platform::kIdOk;
}

// A thread already in another apartment (RPC_E_CHANGED_MODE) keeps it.
Win32Prompts::Win32Prompts()
    : m_com(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
}

Win32Prompts::~Win32Prompts() {
    if (m_com)
        CoUninitialize();
}

std::optional<std::string> Win32Prompts::FileOpen(const platform::FileDialogSpec& spec) {
    return RunFileDialog(spec, false);
}

std::optional<std::string> Win32Prompts::FileSave(const platform::FileDialogSpec& spec) {
    return RunFileDialog(spec, true);
}

namespace {
// Selects the start folder once the folder browser is up.
int CALLBACK OnBrowseEvent(HWND window, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start)
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}
} // namespace

std::optional<std::string> Win32Prompts::ChooseFolder(const std::string& title,
                                                      const std::string& initialFolder) {
    const std::wstring heading = Widen(title);
    const std::wstring start = Widen(initialFolder);
    BROWSEINFOW info{};
    info.hwndOwner = Win32Dialog::Innermost();
    info.lpszTitle = heading.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = OnBrowseEvent;
    info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (!chosen)
        return std::nullopt;
    std::wstring path(kPathChars, L'\0');
    const bool ok = SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()), 0);
    CoTaskMemFree(chosen);
    if (!ok)
        return std::nullopt;
    return Narrow(path.c_str());
}

int Win32Prompts::RunModal(platform::ModalDialogLogic& logic) {
    Win32Dialog dialog(logic);
    return dialog.RunModal();
}

} // namespace voxwin
