// The Win32 dialog host: every template table becomes a dialog whose controls
// have the table's ids, labels and states, and the dialog manager's and the
// session's messages reach the logic as on the other hosts. Each dialog is
// driven from its OnInitDialog and ended there, so nothing is shown.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "core/main_dialog.h"
#include "platform/dialog_host.h"
#include "resources/templates.h"
#include "support/player_fixture.h"
#include "ui/voxlet_dlg.h"
#include "ui/win32/win32_dialog.h"

using namespace platform;

namespace {

// Runs a script once the dialog is initialised and records what reaches the
// logic; an inner logic (a real one) gets OnInitDialog and OnDestroy as well.
class ScriptedLogic : public ModalDialogLogic {
public:
    ScriptedLogic(const DialogTemplate& t, std::function<void(DialogHost&)> script,
                  ModalDialogLogic* inner = nullptr)
        : m_template(t), m_script(std::move(script)), m_inner(inner) {}
    const DialogTemplate& Template() const override { return m_template; }
    void OnInitDialog(DialogHost& host) override {
        if (m_inner)
            m_inner->OnInitDialog(host);
        m_script(host);
        host.EndDialog(kIdOk);
    }
    void OnCommand(DialogHost&, int id, int notification) override {
        events.emplace_back(id, notification);
    }
    void OnTimer(DialogHost&, int id) override { events.emplace_back(-1, id); }
    void OnSysCommand(DialogHost&, int command) override { events.emplace_back(-2, command); }
    void OnVScroll(DialogHost&) override { events.emplace_back(-3, 0); }
    void OnDestroy(DialogHost& host) override {
        if (m_inner)
            m_inner->OnDestroy(host);
        ++destroyed;
    }
    std::vector<std::pair<int, int>> events;
    int destroyed = 0;

private:
    const DialogTemplate& m_template;
    std::function<void(DialogHost&)> m_script;
    ModalDialogLogic* m_inner;
};

// The dialogs go on a desktop of the test's own, which Wine connects to this
// run's X server (a warmed prefix's default desktop may have none).
void UseOwnDesktop() {
    static HDESK desktop =
        CreateDesktopW(L"voxlet-win32-tests", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetThreadDesktop(desktop);
}

bool Labelled(ControlKind kind) {
    return kind != ControlKind::List && kind != ControlKind::Edit &&
           kind != ControlKind::Trackbar && kind != ControlKind::Combo && kind != ControlKind::Icon;
}

TEST(Win32Dialog, BuildsEveryTemplateWithItsControlsAndStates) {
    UseOwnDesktop();
    for (const DialogTemplate* t :
         {&MainDialogTemplate(), &AboutDialogTemplate(), &DefineDialogTemplate()}) {
        ScriptedLogic logic(*t, [t](DialogHost& host) {
            EXPECT_GT(GetWindowTextLengthW(static_cast<HWND>(host.NativeHandle())), 0);
            for (const ControlTemplate& c : t->controls) {
                if (c.id <= 0)
                    continue;
                if (Labelled(c.kind)) {
                    EXPECT_EQ(host.GetItemText(c.id), c.label) << t->id << "/" << c.id;
                }
                EXPECT_EQ(host.IsItemEnabled(c.id), !(c.flags & kDisabled)) << c.id;
                EXPECT_EQ(host.IsItemVisible(c.id), !(c.flags & kHidden)) << c.id;
                if (c.kind == ControlKind::Combo) {
                    EXPECT_EQ(host.ComboCount(c.id), static_cast<int>(c.items.size())) << c.id;
                }
            }
        });
        EXPECT_EQ(voxwin::Win32Dialog(logic).RunModal(), kIdOk) << t->id;
        EXPECT_EQ(logic.destroyed, 1) << t->id;
    }
}

TEST(Win32Dialog, ControlsKeepTheSeamsRangesAndRouteMessages) {
    UseOwnDesktop();
    const DialogTemplate& t = MainDialogTemplate(); // list 1000, trackbar 1024, button 3
    ScriptedLogic logic(t, [](DialogHost& host) {
        host.ListAdd(1000, "a");
        host.ListAdd(1000, "b");
        host.ListSetSel(1000, 1);
        EXPECT_EQ(host.ListGetText(1000, host.ListGetSel(1000)), "b");
        host.ListSetSel(1000, 5);
        EXPECT_EQ(host.ListGetSel(1000), -1);
        host.TrackSetPos(1024, 250);
        EXPECT_EQ(host.TrackGetPos(1024), 100);
        host.AppendSystemMenuItem(IDM_ABOUTBOX, "about");
        auto hwnd = static_cast<HWND>(host.NativeHandle());
        const HWND list = GetDlgItem(hwnd, 1000);
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(1000, LBN_SELCHANGE), (LPARAM)list);
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(1000, LBN_DBLCLK), (LPARAM)list);
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(3, BN_CLICKED), (LPARAM)GetDlgItem(hwnd, 3));
        SendMessageW(hwnd, WM_TIMER, 7, 0);
        SendMessageW(hwnd, WM_VSCROLL, SB_THUMBTRACK, (LPARAM)GetDlgItem(hwnd, 1024));
        SendMessageW(hwnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        HELPINFO help{};
        help.cbSize = sizeof(help);
        SendMessageW(hwnd, WM_HELP, 0, (LPARAM)&help); // F1
        host.EnableItem(kIdCancel, false);
        SendMessageW(hwnd, WM_CLOSE, 0, 0); // a beep while Cancel is disabled
        host.EnableItem(kIdCancel, true);
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(voxwin::Win32Dialog(logic).RunModal(), kIdOk);
    const std::vector<std::pair<int, int>> expected = {{1000, kNotifyDoubleClick},
                                                       {3, kNotifyClicked},
                                                       {-1, 7},
                                                       {-3, 0},
                                                       {-2, IDM_ABOUTBOX},
                                                       {-2, IDM_ABOUTBOX},
                                                       {kIdCancel, kNotifyClicked}};
    EXPECT_EQ(logic.events, expected);
}

using Win32MainWindowTest = PlayerTest;

TEST_F(Win32MainWindowTest, AnEndingSessionSavesWhatClosingSaves) {
    UseOwnDesktop();
    Put("Ninshiki.csv", "h\n");
    PutWav("voice/Ninshiki/NF01.wav"); // no start-up question
    CVoxletDlg main(m_services);
    ScriptedLogic logic(
        main.Template(),
        [&](DialogHost& host) {
            const auto hwnd = static_cast<HWND>(host.NativeHandle());
            host.TrackSetPos(ctl::kVolume, 37);
            // Asked, then told that the session goes on: nothing is saved.
            EXPECT_NE(SendMessageW(hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
            SendMessageW(hwnd, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
            EXPECT_EQ(SettingsText().find("DEFAULT="), std::string::npos) << SettingsText();
            // The session ends: the process may end without the window closing.
            SendMessageW(hwnd, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
            EXPECT_NE(SettingsText().find("[SOUND]\r\nDEFAULT=37\r\n"), std::string::npos)
                << SettingsText();
            EXPECT_EQ(main.Player(), nullptr);
            ::EndDialog(hwnd, kIdOk); // the dialog's own end no longer reaches the window
        },
        &main);
    voxwin::Win32Dialog(logic, true).RunModal();
    EXPECT_EQ(logic.destroyed, 1);
}

} // namespace
