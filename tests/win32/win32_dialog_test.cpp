// The Win32 dialog host: every template table becomes a dialog whose controls
// have the table's ids, labels and states, and the dialog manager's and the
// session's messages reach the logic as on the other hosts. Each dialog is
// driven from its OnInitDialog and ended there, so nothing is shown.
#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "core/main_dialog.h"
#include "platform/dialog_host.h"
#include "platform/prompts.h"
#include "platform/win32/wide.h"
#include "resources/string_table.h"
#include "resources/templates.h"
#include "support/player_fixture.h"
#include "ui/voxlet_dlg.h"
#include "ui/win32/win32_dialog.h"
#include "ui/win32/win32_prompts.h"

using namespace platform;

namespace {

// Runs a script once the dialog is initialised and records what reaches the
// logic; an inner logic (a real one) gets OnInitDialog and OnDestroy as well.
struct ScriptedLogic : ModalDialogLogic {
    ScriptedLogic(const DialogTemplate& t, std::function<void(DialogHost&)> s,
                  ModalDialogLogic* i = nullptr)
        : tpl(t), script(std::move(s)), inner(i) {}
    const DialogTemplate& Template() const override { return tpl; }
    void OnInitDialog(DialogHost& host) override {
        if (inner)
            inner->OnInitDialog(host);
        script(host);
        host.EndDialog(kIdOk);
    }
    void OnCommand(DialogHost&, int id, int notification) override {
        events.emplace_back(id, notification);
    }
    void OnTimer(DialogHost&, int id) override { events.emplace_back(-1, id); }
    void OnSysCommand(DialogHost& host, int command) override {
        events.emplace_back(-2, command);
        if (inner)
            inner->OnSysCommand(host, command);
    }
    void OnVScroll(DialogHost&) override { events.emplace_back(-3, 0); }
    void OnDestroy(DialogHost& host) override {
        if (inner)
            inner->OnDestroy(host);
        ++destroyed;
    }
    const DialogTemplate& tpl;
    std::function<void(DialogHost&)> script;
    ModalDialogLogic* inner;
    std::vector<std::pair<int, int>> events;
    int destroyed = 0;
};

// The dialogs go on a desktop of the test's own, which Wine connects to this
// run's X server (a warmed prefix's default desktop may have none).
void UseOwnDesktop() {
    static HDESK desktop =
        CreateDesktopW(L"voxlet-win32-tests", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetThreadDesktop(desktop);
}

// Every template's controls have the table's states, combo items and labels;
// on the main window (list, trackbar, play button) the list and the
// trackbar also keep the seam's ranges, and the dialog manager's messages reach
// the logic (events -1: a timer, -2: a system command, -3: the trackbar).
TEST(Win32Dialog, BuildsEveryTemplateAndRoutesMessages) {
    UseOwnDesktop();
    for (const DialogTemplate* t : {&MainDialogTemplate(), &AboutDialogTemplate(),
                                    &DefineDialogTemplate(), &PlayListDialogTemplate()}) {
        const bool main = t == &MainDialogTemplate();
        ScriptedLogic logic(*t, [t, main](DialogHost& host) {
            const auto hwnd = static_cast<HWND>(host.NativeHandle());
            EXPECT_GT(GetWindowTextLengthW(hwnd), 0);
            for (const ControlTemplate& c : t->controls) {
                if (c.id <= 0)
                    continue;
                SCOPED_TRACE(testing::Message() << t->id << "/" << c.id);
                EXPECT_EQ(host.IsItemEnabled(c.id), !(c.flags & kDisabled));
                EXPECT_EQ(host.IsItemVisible(c.id), !(c.flags & kHidden));
                if (c.kind == ControlKind::Combo) {
                    EXPECT_EQ(host.ComboCount(c.id), static_cast<int>(c.items.size()));
                } else if (c.kind != ControlKind::List && c.kind != ControlKind::Edit &&
                           c.kind != ControlKind::Trackbar && c.kind != ControlKind::Icon) {
                    EXPECT_EQ(host.GetItemText(c.id), c.label);
                }
            }
            if (t == &DefineDialogTemplate()) { // typed text reaches the logic
                for (const wchar_t ch : std::wstring_view(L"a,b:80"))
                    SendMessageW(GetDlgItem(hwnd, ctl::settings::kCardsField), WM_CHAR, ch, 0);
                EXPECT_EQ(host.GetItemText(ctl::settings::kCardsField), "a,b:80");
                SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(ctl::settings::kCardTest, BN_CLICKED),
                             (LPARAM)GetDlgItem(hwnd, ctl::settings::kCardTest));
            }
            if (!main)
                return;
            using ctl::kClipList, ctl::kPlay, ctl::kVolume;
            host.ListAdd(kClipList, "a");
            host.ListAdd(kClipList, "b");
            host.ListSetSel(kClipList, 1);
            EXPECT_EQ(host.ListGetText(kClipList, host.ListGetSel(kClipList)), "b");
            host.ListSetSel(kClipList, 5);
            EXPECT_EQ(host.ListGetSel(kClipList), -1);
            host.TrackSetPos(kVolume, 250);
            EXPECT_EQ(host.TrackGetPos(kVolume), 100);
            host.AppendSystemMenuItem(IDM_ABOUTBOX, "about");
            const HWND list = GetDlgItem(hwnd, kClipList);
            SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kClipList, LBN_SELCHANGE), (LPARAM)list);
            SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kClipList, LBN_DBLCLK), (LPARAM)list);
            SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kPlay, BN_CLICKED),
                         (LPARAM)GetDlgItem(hwnd, kPlay));
            // Typing in the find box reaches the logic, a change a key; Enter
            // and Esc there (the default button and IDCANCEL while it has
            // the focus) are the box's.
            const HWND find = GetDlgItem(hwnd, ctl::kFindBox);
            for (const wchar_t ch : std::wstring_view(L"ab"))
                SendMessageW(find, WM_CHAR, ch, 0);
            SetFocus(find);
            SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kIdCancel, BN_CLICKED),
                         (LPARAM)GetDlgItem(hwnd, kIdCancel));
            SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kPlay, BN_CLICKED),
                         (LPARAM)GetDlgItem(hwnd, kPlay));
            SetFocus(list);
            SendMessageW(hwnd, WM_TIMER, 7, 0);
            SendMessageW(hwnd, WM_VSCROLL, SB_THUMBTRACK, (LPARAM)GetDlgItem(hwnd, kVolume));
            SendMessageW(hwnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
            HELPINFO help{};
            help.cbSize = sizeof(help);
            SendMessageW(hwnd, WM_HELP, 0, (LPARAM)&help); // F1
            host.EnableItem(kIdCancel, false);
            SendMessageW(hwnd, WM_CLOSE, 0, 0); // a beep while Cancel is disabled
            host.EnableItem(kIdCancel, true);
            SendMessageW(hwnd, WM_CLOSE, 0, 0);
        });
        EXPECT_EQ(voxwin::Win32Dialog(logic).RunModal(), kIdOk) << t->id;
        EXPECT_EQ(logic.destroyed, 1) << t->id;
        using P = std::pair<int, int>;
        std::vector typed(6, P(ctl::settings::kCardsField, kNotifyEditChange)); // a change a key
        typed.emplace_back(ctl::settings::kCardTest, kNotifyClicked);
        EXPECT_EQ(
            logic.events,
            (main                           ? std::vector{P(ctl::kClipList, kNotifySelChange),
                                P(ctl::kClipList, kNotifyDoubleClick),
                                P(ctl::kPlay, kNotifyClicked), P(ctl::kFindBox, kNotifyEditChange),
                                P(ctl::kFindBox, kNotifyEditChange),
                                P(ctl::kFindBox, kNotifyEscapeKey),
                                P(ctl::kFindBox, kNotifyEnterKey), P(-1, 7), P(-3, 0),
                                P(-2, IDM_ABOUTBOX), P(-2, IDM_ABOUTBOX),
                                P(kIdCancel, kNotifyClicked)}
             : t == &DefineDialogTemplate() ? typed
                                            : std::vector<P>{}));
    }
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

// The play-list editor opens from the system menu (a thread timer drives it
// inside its modal loop); a line chosen with the mouse moves down and Save
// writes the file.
TEST_F(Win32MainWindowTest, TheEditorMovesALineChosenWithTheMouseAndSaves) {
    UseOwnDesktop();
    Put("Ninshiki.csv", "h\n");
    PutWav("voice/Ninshiki/NF01.wav");
    Put("voice.csv", "h\n1,ただいま,,a.wav,101,2,1,0\n");
    voxwin::Win32Prompts prompts;
    m_services.prompts = &prompts;
    CVoxletDlg main(m_services);
    static int driven = 0;
    driven = 0;
    const TIMERPROC drive = [](HWND, UINT, UINT_PTR timer, DWORD) {
        const HWND editor = FindWindowW(nullptr, win32::Widen(texts::kPlayListEditorTitle).c_str());
        if (!editor)
            return;
        KillTimer(nullptr, timer);
        namespace pl = ctl::playlist;
        const auto command = [editor](int id, int code) {
            SendMessageW(editor, WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)GetDlgItem(editor, id));
        };
        for (const wchar_t ch : std::wstring_view(L"mine"))
            SendMessageW(GetDlgItem(editor, pl::kNameField), WM_CHAR, ch, 0);
        command(pl::kAddClip, BN_CLICKED);
        command(pl::kAddPause, BN_CLICKED); // after the clip, selected
        const HWND lines = GetDlgItem(editor, pl::kLines);
        SendMessageW(lines, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4)); // the first line
        SendMessageW(lines, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        driven = IsWindowEnabled(GetDlgItem(editor, pl::kDown)) ? 2 : 1;
        for (const int id : {pl::kDown, pl::kSave, kIdCancel})
            command(id, BN_CLICKED);
    };
    ScriptedLogic logic(
        main.Template(),
        [&](DialogHost& host) {
            SetTimer(nullptr, 0, 50, drive);
            SendMessageW(static_cast<HWND>(host.NativeHandle()), WM_SYSCOMMAND,
                         IDM_PLAY_LIST_EDITOR, 0);
        },
        &main);
    voxwin::Win32Dialog(logic, true).RunModal();
    EXPECT_EQ(driven, 2) << "the line chosen with the mouse did not reach the editor";
    EXPECT_EQ(testsupport::ReadFile(m_dir / "voice/play_list/mine.txt"), "0,1\r\n101\r\n");
}

// The folder browser's new-style dialog needs COM, apartment-threaded, on its
// thread: the prompts initialise it there while they live.
TEST(Win32Prompts, HoldComApartmentThreadedWhileTheyLive) {
    auto prompts = std::make_unique<voxwin::Win32Prompts>();
    for (const HRESULT expected : {S_FALSE, S_OK}) { // already so; undone with them
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), expected);
        CoUninitialize();
        prompts.reset();
    }
}

// Each message style as the user sees it: the program's name as caption, the
// text, the buttons and the default one, the icon; and each button's answer.
// A second thread waits for the box (or task dialog), notes what it shows and
// presses the button.
TEST(Win32Prompts, MessageBoxesShowTheirStyleAndAnswerByTheButtonPressed) {
    UseOwnDesktop();
    const std::set<int> ok{IDOK}, yesNo{IDYES, IDNO}, three{IDYES, IDNO, kIdExtra};
    const std::string_view extra = "データフォルダー指定";
    using B = MsgButtons;
    using I = MsgIcon;
    const struct {
        MessageStyle style;
        std::set<int> buttons;
        int defaultButton;
        LPCSTR icon; // a system icon, or none
        int press, answer;
    } cases[] = {
        {{B::Ok, I::Error, 0, {}}, ok, IDOK, IDI_ERROR, IDOK, kIdOk},
        {{B::Ok, I::Warning, 0, {}}, ok, IDOK, IDI_WARNING, IDOK, kIdOk},
        {{B::Ok, I::Info, 0, {}}, ok, IDOK, IDI_INFORMATION, IDOK, kIdOk},
        {{B::Ok, I::None, 0, {}}, ok, IDOK, nullptr, IDOK, kIdOk},
        {{B::YesNo, I::Question, 0, {}}, yesNo, IDYES, IDI_QUESTION, IDYES, kIdYes},
        {{B::YesNo, I::Question, kIdNo, {}}, yesNo, IDNO, IDI_QUESTION, IDNO, kIdNo},
        // The third button makes it a task dialog.
        {{B::YesNo, I::Question, kIdNo, extra}, three, IDNO, IDI_QUESTION, kIdExtra, kIdExtra},
        {{B::YesNo, I::Question, kIdNo, extra}, three, IDNO, IDI_QUESTION, IDNO, kIdNo},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.style.icon) << " " << c.press);
        std::wstring caption;
        std::set<std::wstring> texts; // of its static controls
        std::set<int> buttons;
        int defaultButton = 0;
        HICON icon = nullptr;
        std::thread watcher([&] {
            UseOwnDesktop(); // windows are found on the desktop of the caller
            HWND box = nullptr;
            for (int i = 0; i < 500 && !(box && IsWindowVisible(box)); ++i, Sleep(20))
                box = FindWindowW(L"#32770", nullptr);
            wchar_t text[512] = {}, name[16] = {};
            GetWindowTextW(box, text, 512);
            caption = text;
            for (HWND w = GetWindow(box, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
                GetClassNameW(w, name, 16);
                GetWindowTextW(w, text, 512);
                if (std::wstring(name) == L"Button" && IsWindowVisible(w)) {
                    buttons.insert(GetDlgCtrlID(w));
                    if ((GetWindowLongW(w, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON)
                        defaultButton = GetDlgCtrlID(w);
                } else if (std::wstring(name) == L"Static" && IsWindowVisible(w)) {
                    text[0] ? (void)texts.insert(text)
                            : (void)(icon = (HICON)SendMessageW(w, STM_GETICON, 0, 0));
                }
            }
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(c.press, BN_CLICKED),
                         (LPARAM)GetDlgItem(box, c.press));
        });
        EXPECT_EQ(voxwin::Win32Prompts().Message(105, "本文", c.style), c.answer);
        watcher.join();
        EXPECT_EQ(caption, platform::win32::Widen(ApplicationName()));
        EXPECT_EQ(texts.count(L"本文"), 1u);
        EXPECT_EQ(buttons, c.buttons);
        EXPECT_EQ(defaultButton, c.defaultButton);
        EXPECT_EQ(icon, c.icon ? LoadIconA(nullptr, c.icon) : nullptr);
    }
}

} // namespace
