// The real main window (template 102 on wx with CVoxletDlg as its logic),
// driven with real X mouse and key events under Xvfb: what only the toolkit
// layer does (busy cursor, focus, the context menu and F1). The logic's
// answers are the scenarios'; the slider, Esc and the program's own start and
// end are the end-to-end test's.
#include <gtest/gtest.h>

#include <wx/listbox.h>
#include <wx/slider.h>

#include <filesystem>
#include <memory>

#include <gtk/gtk.h>

#include "gui/gui_support.h"
#include "platform/dialog_host.h"
#include "platform/http_transport.h"
#include "playback/audio/recording_backend.h"
#include "resources/templates.h"
#include "ui/voxlet_dlg.h"
#include "ui/wx/wx_main_window.h"
#include "ui/wx/wx_prompts.h"
#include "ui/wx/wx_template_dialog.h"

namespace {

// A FlashAir card that notes, at each exchange, whether the busy cursor is
// shown, what the clip box shows and whether the window still waits for a
// repaint.
class BusyProbe final : public platform::HttpTransport {
public:
    explicit BusyProbe(voxwx::WxTemplateDialog& window) : m_window(window) {}
    platform::HttpResult Get(const std::string&, std::size_t) override { return Seen(); }
    platform::HttpResult Post(const std::string&, const std::string&, const std::string&) override {
        return Seen();
    }
    std::vector<std::string> seen;

private:
    platform::HttpResult Seen() {
        cairo_region_t* pending =
            gdk_window_get_update_area(gtk_widget_get_window(m_window.GetHandle()));
        seen.push_back(std::string(wxIsBusy() ? "busy" : "idle") + " " +
                       m_window.GetItemText(ctl::kClipDisplay) + (pending ? " unpainted" : ""));
        if (pending)
            cairo_region_destroy(pending);
        return {true, "", ""};
    }
    voxwx::WxTemplateDialog& m_window;
};

// A working folder with the scenarios' voice set (recognition words おはよう
// and こんにちは in category 1, Tiko voices ただいま and おかえり, the quiz
// クイズです) and a settings file; the real main window on it with the real wx
// prompts, over a recording audio back end.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(std::system(("bash " VOXLET_SOURCE_DIR "/scripts/prepare-tree.sh '" +
                               m_dir.Path() + "' " VOXLET_SOURCE_DIR "/tests/voice-sets/basic")
                                  .c_str()),
                  0);
        m_oldCwd = std::filesystem::current_path();
        std::filesystem::current_path(m_dir.Path());
        m_services.settingsPath = m_dir / "Voxlet.ini";
        m_services.prompts = &m_prompts;
        m_services.sleep = [](int) {}; // no test waits for real
        m_services.audio = &m_pcAudio;
        m_pcAudio.SetBackend(std::make_unique<RecordingAudioBackend>(nullptr));
        Settings("[SOUND]\r\nDEFAULT=30\r\n");
    }
    void TearDown() override {
        Finish();
        m_dlg.reset();
        std::filesystem::current_path(m_oldCwd);
    }

    void Settings(const std::string& text) { testsupport::WriteFile(m_dir / "Voxlet.ini", text); }

    // Constructs CVoxletDlg and shows its window without a modal loop.
    void Start() {
        m_dlg = std::make_unique<CVoxletDlg>(m_services);
        m_window = new voxwx::WxTemplateDialog(nullptr, *m_dlg, voxwx::kMainWindowStyle);
        voxwx::DecorateMainWindow(*m_window);
        m_window->Move(0, 0);
        m_window->ShowModeless();
        ASSERT_TRUE(guitest::WaitFor(
            [this] { return m_window->IsShownOnScreen() || m_window->HasEnded(); }));
        guitest::Pump(150);
    }
    // Ends the window as the close box does (when it has not ended), then
    // destroys it: OnDestroy runs.
    void Finish() {
        if (!m_window)
            return;
        if (!m_window->HasEnded())
            m_window->Close();
        m_window->FinishDialog();
        m_window->Destroy();
        m_window = nullptr;
        guitest::Pump(50);
    }

    voxwx::WxTemplateDialog& Window() { return *m_window; }
    wxWindow* Control(int id) { return m_window->Control(id); }
    wxListBox* List() { return static_cast<wxListBox*>(Control(ctl::kClipList)); }

    testsupport::TempDir m_dir;
    std::filesystem::path m_oldCwd;
    voxwx::WxPrompts m_prompts;
    PcAudio m_pcAudio;
    Services m_services;
    std::unique_ptr<CVoxletDlg> m_dlg;
    voxwx::WxTemplateDialog* m_window = nullptr;
};

} // namespace

TEST_F(MainWindowTest, ARobotExchangeRunsUnderTheBusyCursorAfterARepaint) {
    Settings("[REMOTE]\nCONNECT_TYPE=2\nFLASHAIR=card\n");
    Start();
    BusyProbe probe(Window());
    m_services.http = &probe;
    Window().ListSetSel(ctl::kClipList, 1);
    guitest::Click(Control(ctl::kPlay));
    guitest::Pump(100);
    m_services.http = nullptr;
    ASSERT_FALSE(probe.seen.empty());
    for (const auto& seen : probe.seen)
        EXPECT_EQ(seen, "busy 3"); // the clip's id, painted
    EXPECT_FALSE(wxIsBusy());
}

// The logic's start-up reaches the real controls; the focus stays visibly
// marked, also after GTK clears the mark (on a pointer click).
TEST_F(MainWindowTest, StartUpFillsTheControlsAndTheFocusStaysVisible) {
    Start();
    EXPECT_EQ(List()->GetCount(), 2u);
    EXPECT_EQ(static_cast<wxSlider*>(Control(ctl::kVolume))->GetValue(), 30); // [SOUND] DEFAULT
    ASSERT_EQ(Window().SystemMenuItems().size(), 1u);
    EXPECT_EQ(Window().SystemMenuItems()[0].second, "バージョン情報 Voxlet(&A)...");
    auto* gtkWindow = GTK_WINDOW(Window().GetHandle());
    EXPECT_TRUE(gtk_window_get_focus_visible(gtkWindow));
    gtk_window_set_focus_visible(gtkWindow, FALSE); // as GTK does on a pointer click
    EXPECT_TRUE(gtk_window_get_focus_visible(gtkWindow));
}

// The about box opens from the background's context menu (a right click, then
// Down and Enter inside the menu's own loop) and by F1; the window stays.
TEST_F(MainWindowTest, TheAboutBoxOpensFromTheContextMenuAndByF1) {
    Start();
    for (const bool menu : {true, false}) {
        guitest::Later keys([menu] {
            for (int key : menu ? std::vector{WXK_DOWN, WXK_RETURN} : std::vector{WXK_F1}) {
                wxUIActionSimulator().Char(key);
                wxMilliSleep(30);
            }
        });
        keys.StartOnce(menu ? 500 : 100);
        wxTEST_DIALOG(
            {
                if (menu)
                    guitest::ClickAt(Window().ClientToScreen(wxPoint(4, 4)), 3);
                ASSERT_TRUE(guitest::WaitFor([&keys] { return !keys.IsRunning(); }));
                guitest::Pump(300);
            },
            guitest::Inspect<voxwx::WxTemplateDialog>([](voxwx::WxTemplateDialog* dlg) {
                EXPECT_EQ(dlg->Template().id, IDD_ABOUTBOX);
                return platform::kIdOk;
            }).Describe(menu ? "about box" : "about box by F1"));
        EXPECT_FALSE(Window().HasEnded());
    }
}
