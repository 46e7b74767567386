// A Win32 dialog built from a dialog template (win32_dialog_template.h) and
// run by the dialog manager. It is the DialogHost of the logic that runs in
// it; the dialog manager's messages reach the logic as on the other hosts:
//   WM_COMMAND: BN_CLICKED of a button, check box or radio, LBN_DBLCLK of a
//               notifying list, CBN_SELCHANGE of a combo, EN_CHANGE of an
//               editable box -> OnCommand (Enter gives the default button,
//               Esc IDCANCEL; in a box that wants them, kNotifyEnterKey and
//               kNotifyEscapeKey of the box)
//   WM_CLOSE, Esc, a posted close -> OnCommand(kIdCancel), or a beep while
//               the Cancel button is disabled
//   WM_TIMER -> OnTimer, WM_VSCROLL of a vertical trackbar -> OnVScroll,
//   WM_SYSCOMMAND of an item the logic added -> OnSysCommand,
//   WM_DESTROY, or WM_ENDSESSION of a session that ends (which the dialog
//               manager's WM_QUERYENDSESSION lets end) -> OnDestroy (once,
//               while the controls still exist).
// F1 (WM_HELP) and the background's context menu carry out the system-menu
// items the logic added, as the wx window does.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/dialog_host.h"
#include "platform/dialog_template.h"
#include "platform/prompts.h"

namespace voxwin {

class Win32Dialog final : public platform::DialogHost {
public:
    // mainWindow: a minimise box and the program icon (resource IDR_MAINFRAME).
    explicit Win32Dialog(platform::ModalDialogLogic& logic, bool mainWindow = false);
    ~Win32Dialog() override = default;
    Win32Dialog(const Win32Dialog&) = delete;
    Win32Dialog& operator=(const Win32Dialog&) = delete;

    // Runs the dialog modally, owned by the innermost running dialog; returns
    // the result it ended with (kIdCancel when it could not be created).
    int RunModal();

    // The dialog whose modal loop runs innermost (nullptr when none): the
    // owner of message boxes and nested dialogs.
    static HWND Innermost();

    // --- platform::DialogHost
    void SetItemText(int id, std::string_view text) override;
    std::string GetItemText(int id) const override;
    void EnableItem(int id, bool enable) override;
    bool IsItemEnabled(int id) const override;
    void ShowItem(int id, bool show) override;
    bool IsItemVisible(int id) const override;
    void CheckItem(int id, bool checked) override;
    bool IsItemChecked(int id) const override;

    void ListReset(int id) override;
    int ListAdd(int id, std::string_view text) override;
    void ListAddAll(int id, const std::vector<std::string_view>& texts) override;
    int ListCount(int id) const override;
    int ListGetSel(int id) const override;
    void ListSetSel(int id, int index) override;
    std::string ListGetText(int id, int index) const override;

    void TrackSetTicFreq(int id, int freq) override;
    void TrackSetPos(int id, int pos) override;
    int TrackGetPos(int id) const override;

    void ComboReset(int id) override;
    int ComboAdd(int id, std::string_view text) override;
    int ComboCount(int id) const override;
    int ComboGetSel(int id) const override;
    void ComboSetSel(int id, int index) override;
    std::string ComboGetText(int id) const override;

    void SetTimer(int timerId, int periodMs) override;
    void KillTimer(int timerId) override;
    void EndDialog(int result) override;
    void PostClose() override;
    // The system menu takes the item; it has no shortcut keys.
    void AppendSystemMenuItem(int command, std::string_view text, char shortcut = 0) override;
    void* NativeHandle() const override { return m_hwnd; }
    // The wait cursor, after the window has painted what changed (WM_PAINT is
    // sent, not posted: no other message is handled).
    void BeginBusy() override;
    void EndBusy() override;

    struct ItemMessages;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void InitDialog();
    void Command(int id, int code, HWND control);
    void CloseRequest();
    void SystemCommand(int command);
    bool IsSystemCommand(int command) const;
    void ContextMenu(HWND clicked, LPARAM at);
    void Finish();
    void SetIcons();

    // The control of a table entry of the given kind (nullptr otherwise).
    HWND Control(int id, platform::ControlKind kind) const;
    HWND Control(int id) const;
    int AddItem(const ItemMessages& m, int id, std::string_view text);
    int ItemCount(const ItemMessages& m, int id) const;
    void Select(const ItemMessages& m, int id, int index);
    std::string ItemString(const ItemMessages& m, int id, int index) const;
    LRESULT Send(int id, platform::ControlKind kind, UINT message, WPARAM wParam = 0,
                 LPARAM lParam = 0) const;

    platform::ModalDialogLogic& m_logic;
    const platform::DialogTemplate& m_template;
    bool m_mainWindow;
    HWND m_hwnd = nullptr;
    std::vector<int> m_timers;
    std::vector<std::pair<int, std::string>> m_systemMenu;
    std::vector<HICON> m_icons;
    bool m_ended = false;
    bool m_finished = false;
    int m_result = platform::kIdCancel;
};

} // namespace voxwin
