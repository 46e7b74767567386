// The real main window (template 102 on wx with CVoxletDlg as its logic),
// driven with real X mouse and key events under Xvfb: what only the toolkit
// layer does (busy cursor, focus, the context menu and F1). The logic's
// answers are the scenarios'; the slider, Esc and the program's own start and
// end are the end-to-end test's.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <wx/slider.h>

#include <gtk/gtk.h>

#include "gui/gui_support.h"
#include "platform/http_transport.h"
#include "resources/templates.h"
#include "support/player_fixture.h"
#include "ui/define_dlg.h"
#include "ui/voxlet_dlg.h"
#include "ui/wx/wx_main_window.h"
#include "ui/wx/wx_prompts.h"
#include "ui/wx/wx_template_dialog.h"

namespace {

// A FlashAir card that notes, at each exchange, whether the busy cursor is
// shown, what the clip box shows and whether the window still waits for a
// repaint.
struct BusyProbe final : platform::HttpTransport {
    explicit BusyProbe(voxwx::WxTemplateDialog& w) : window(w) {}
    platform::HttpResult Get(const std::string&, std::size_t) override { return Seen(); }
    platform::HttpResult Post(const std::string&, const std::string&, const std::string&) override {
        return Seen();
    }
    platform::HttpResult Seen() {
        cairo_region_t* pending =
            gdk_window_get_update_area(gtk_widget_get_window(window.GetHandle()));
        seen.push_back(std::string(wxIsBusy() ? "busy" : "idle") + " " +
                       window.GetItemText(ctl::kClipDisplay) + (pending ? " unpainted" : ""));
        if (pending)
            cairo_region_destroy(pending);
        return {true, "", ""};
    }
    voxwx::WxTemplateDialog& window;
    std::vector<std::string> seen;
};

// The scenarios' voice set (two Tiko voices in category 1) in the working
// folder; the real main window on it with the real wx prompts.
class MainWindowTest : public PlayerTest {
protected:
    void SetUp() override {
        ASSERT_EQ(std::system(("bash " VOXLET_SOURCE_DIR "/scripts/prepare-tree.sh '" +
                               m_dir.Path() + "' " VOXLET_SOURCE_DIR "/tests/voice-sets/basic")
                                  .c_str()),
                  0);
        PlayerTest::SetUp(); // in the folder prepare-tree.sh made anew
        m_services.prompts = &m_wxPrompts;
    }
    // Ends the window as the close box does (when it has not ended), then
    // destroys it: OnDestroy runs.
    void TearDown() override {
        if (m_window && !m_window->HasEnded())
            m_window->Close();
        if (m_window) {
            m_window->FinishDialog();
            m_window->Destroy();
            guitest::Pump(50);
        }
        m_dlg.reset();
        PlayerTest::TearDown();
    }

    // Writes the settings, constructs CVoxletDlg and shows its window without
    // a modal loop.
    voxwx::WxTemplateDialog& Start(const std::string& settings) {
        Settings(settings);
        m_dlg = std::make_unique<CVoxletDlg>(m_services);
        m_window = new voxwx::WxTemplateDialog(nullptr, *m_dlg, voxwx::kMainWindowStyle);
        voxwx::DecorateMainWindow(*m_window);
        m_window->Move(0, 0);
        m_window->ShowModeless();
        EXPECT_TRUE(guitest::WaitFor(
            [this] { return m_window->IsShownOnScreen() || m_window->HasEnded(); }));
        guitest::Pump(150);
        return *m_window;
    }

    voxwx::WxPrompts m_wxPrompts;
    std::unique_ptr<CVoxletDlg> m_dlg;
    voxwx::WxTemplateDialog* m_window = nullptr;
};

} // namespace

TEST_F(MainWindowTest, ARobotExchangeRunsUnderTheBusyCursorAfterARepaint) {
    auto& window = Start("[REMOTE]\nCONNECT_TYPE=2\nFLASHAIR=card\n");
    BusyProbe probe(window);
    m_services.http = &probe;
    window.ListSetSel(ctl::kClipList, 1);
    guitest::Click(window.Control(ctl::kPlay));
    guitest::Pump(100);
    m_services.http = nullptr;
    ASSERT_FALSE(probe.seen.empty());
    for (const auto& seen : probe.seen)
        EXPECT_EQ(seen, "busy 3"); // the clip's id, painted
    EXPECT_FALSE(wxIsBusy());
}

// The settings dialog's card test runs under the busy cursor and reports in
// one message box.
TEST_F(MainWindowTest, TheCardTestReportsInOneMessageUnderTheBusyCursor) {
    CDefineDlg logic(Player());
    m_window = new voxwx::WxTemplateDialog(nullptr, logic);
    m_window->ShowModeless();
    ASSERT_TRUE(guitest::WaitFor([this] { return m_window->IsShownOnScreen(); }));
    m_window->SetItemText(ctl::settings::kCardsField, "a,b:81");
    BusyProbe probe(*m_window);
    m_services.http = &probe;
    wxTEST_DIALOG(guitest::Click(m_window->Control(ctl::settings::kCardTest));
                  guitest::Pump(100), guitest::Inspect<wxMessageDialog>([](wxMessageDialog* box) {
                      EXPECT_EQ(box->GetMessage().utf8_string(),
                                "接続テストの結果:\na: 応答: \nb:81: 応答: ");
                      return platform::kIdOk;
                  }));
    m_services.http = nullptr;
    EXPECT_EQ(probe.seen, (std::vector<std::string>{"busy ", "busy "}));
    m_window->FinishDialog(); // gone before its logic
    m_window->Destroy();
    guitest::Pump(50);
    m_window = nullptr;
}

// The logic's start-up reaches the real controls; the focus stays visibly
// marked, also after GTK clears the mark (on a pointer click). The about box
// opens from the background's context menu (a right click, then Down and Enter
// inside the menu's own loop) and by F1; the window stays.
TEST_F(MainWindowTest, StartUpFocusAndTheAboutBox) {
    auto& window = Start("[SOUND]\r\nDEFAULT=30\r\n");
    EXPECT_EQ(static_cast<wxSlider*>(window.Control(ctl::kVolume))->GetValue(), 30);
    EXPECT_THAT(window.SystemMenuItems(),
                testing::ElementsAre(testing::Pair(IDM_ABOUTBOX, "バージョン情報 Voxlet(&A)..."),
                                     testing::Pair(IDM_PLAY_LIST_EDITOR, "プレイリストの編集...")));
    auto* gtkWindow = GTK_WINDOW(window.GetHandle());
    EXPECT_TRUE(gtk_window_get_focus_visible(gtkWindow));
    gtk_window_set_focus_visible(gtkWindow, FALSE); // as GTK does on a pointer click
    EXPECT_TRUE(gtk_window_get_focus_visible(gtkWindow));
    for (const bool menu : {true, false}) {
        wxTimer keys; // its events come also inside the menu's own loop
        keys.Bind(wxEVT_TIMER, [&keys, menu](wxTimerEvent&) {
            if (menu && !gtk_grab_get_current()) // the menu is not open yet
                return (void)keys.StartOnce(50);
            for (int key : menu ? std::vector{WXK_DOWN, WXK_RETURN} : std::vector{WXK_F1}) {
                wxUIActionSimulator().Char(key);
                wxMilliSleep(30);
            }
        });
        keys.StartOnce(100);
        wxTEST_DIALOG(
            {
                if (menu)
                    guitest::Click(&window, 3, {4, 4});
                ASSERT_TRUE(guitest::WaitFor([&keys] { return !keys.IsRunning(); }));
                guitest::Pump(300);
            },
            guitest::Inspect<voxwx::WxTemplateDialog>([](voxwx::WxTemplateDialog* dlg) {
                EXPECT_EQ(dlg->Template().id, IDD_ABOUTBOX);
                return platform::kIdOk;
            }).Describe(menu ? "about box" : "about box by F1"));
        EXPECT_FALSE(window.HasEnded());
    }
}

// A settings write that fails (here the volume saved as the window closes,
// into a folder that is gone) names the system's reason in Japanese, whatever
// the system language (the tests run under LANG=C), in a box titled with the
// program's name.
TEST_F(MainWindowTest, AFailedSettingsWriteGivesItsReasonInJapanese) {
    m_services.settingsPath = m_dir / "gone/Voxlet.ini";
    auto& window = Start("");
    EXPECT_THAT(guitest::AnswerRealMessageBox([&window] { window.Close(), window.FinishDialog(); },
                                              GTK_RESPONSE_OK),
                testing::StartsWith("voxlet_gui_tests|voxlet_gui_tests|設定ファイル[" +
                                    m_dir / "gone/Voxlet.ini" +
                                    "]の書込みに失敗しました。\n"
                                    "そのようなファイルやディレクトリはありません\n"));
}

// The play-list editor opens by Ctrl+L on the play list selected in the
// window; a row chosen with the mouse moves down and Save writes the file.
TEST_F(MainWindowTest, TheEditorOpensByItsKeyMovesALineAndSaves) {
    auto& window = Start("");
    for (const int radio : {ctl::kModeVoice, ctl::kPlayListRadio})
        guitest::Click(window.Control(radio));
    window.ListSetSel(ctl::kClipList, 2); // morning
    namespace pl = ctl::playlist;
    bool done = false;
    wxTimer drive;
    drive.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        auto* editor = voxwx::WxTemplateDialog::Innermost();
        if (!editor || editor->Template().id != IDD_PLAY_LIST_DIALOG || !editor->IsShownOnScreen())
            return (void)drive.StartOnce(50);
        guitest::Click(editor->Control(pl::kLines), 1, {10, 8}); // the first line
        EXPECT_EQ(editor->ListGetSel(pl::kLines), 0);
        for (const int button : {pl::kDown, pl::kSave, pl::kClose})
            guitest::Click(editor->Control(button));
        done = true;
    });
    ++guitest::g_realDialogsAllowed;
    drive.StartOnce(100);
    window.SetFocus();
    wxUIActionSimulator().Char('L', wxMOD_CONTROL);
    EXPECT_TRUE(guitest::WaitFor([&done] { return done; }, 15000));
    --guitest::g_realDialogsAllowed;
    EXPECT_EQ(testsupport::ReadFile(m_dir / "voice/play_list/morning.txt"),
              testsupport::Cp932Crlf("# 朝のあいさつ\n0,2\n101\n102,1\n"));
}
