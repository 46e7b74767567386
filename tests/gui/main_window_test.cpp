// The real main window (template 102 on wx with CVoxletDlg as its logic) and
// the settings window over it, driven with real X mouse and key events under
// Xvfb.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <wx/choice.h>
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
#include "ui/wx/voxlet_app.h"
#include "ui/wx/wx_main_window.h"
#include "ui/wx/wx_prompts.h"
#include "ui/wx/wx_template_dialog.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// Presses the keys (for a timer: from inside a popup menu's nested event loop).
std::function<void()> Keys(std::vector<int> keys) {
    return [keys] {
        for (int key : keys) {
            wxUIActionSimulator().Char(key);
            wxMilliSleep(30);
        }
    };
}

guitest::Inspect<voxwx::WxTemplateDialog> AboutBox() {
    return guitest::Inspect<voxwx::WxTemplateDialog>([](voxwx::WxTemplateDialog* dlg) {
        EXPECT_EQ(dlg->GetTitle().utf8_string(), "バージョン情報 Voxlet");
        EXPECT_EQ(dlg->GetDefaultItem(), dlg->Control(platform::kIdOk));
        return platform::kIdOk;
    });
}

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
    std::string SettingsText() const { return testsupport::ReadFile(m_dir / "Voxlet.ini"); }

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
    std::vector<std::string> ListItems() {
        std::vector<std::string> items;
        for (int i = 0; i < m_window->ListCount(ctl::kClipList); ++i)
            items.push_back(m_window->ListGetText(ctl::kClipList, i));
        return items;
    }
    // Clicks a control and waits until the events it caused are handled.
    void ClickControl(int id) {
        ASSERT_NE(Control(id), nullptr) << "no control " << id;
        guitest::Click(Control(id));
        guitest::Pump(100);
    }

    testsupport::TempDir m_dir;
    std::filesystem::path m_oldCwd;
    voxwx::WxPrompts m_prompts;
    PcAudio m_pcAudio;
    Services m_services;
    std::unique_ptr<CVoxletDlg> m_dlg;
    voxwx::WxTemplateDialog* m_window = nullptr;
};

// Selects an item as the user's choice would: the selection, then the
// toolkit's change notification.
void Choose(voxwx::WxTemplateDialog& dlg, int id, int index) {
    auto* choice = static_cast<wxChoice*>(dlg.Control(id));
    ASSERT_NE(index, wxNOT_FOUND);
    choice->SetSelection(index);
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetEventObject(choice);
    event.SetInt(index);
    choice->GetEventHandler()->ProcessEvent(event);
}

} // namespace

TEST_F(MainWindowTest, ARobotExchangeRunsUnderTheBusyCursorAfterARepaint) {
    Settings("[REMOTE]\nCONNECT_TYPE=2\nFLASHAIR=card\n");
    Start();
    BusyProbe probe(Window());
    m_services.http = &probe;
    guitest::ClickAt(guitest::ListItemPoint(List(), 1));
    guitest::Pump(100);
    ClickControl(ctl::kPlay);
    m_services.http = nullptr;
    ASSERT_FALSE(probe.seen.empty());
    for (const auto& seen : probe.seen)
        EXPECT_EQ(seen, "busy 3"); // the clip's id, painted
    EXPECT_FALSE(wxIsBusy());
}

TEST_F(MainWindowTest, BuildsEveryControlOfTemplate102AndKeepsTheFocusVisible) {
    Start();
    EXPECT_EQ(Window().GetTitle().utf8_string(), "ティコボイスプレイヤー");
    for (const auto& c : MainDialogTemplate().controls) {
        if (c.id < 0)
            continue;
        wxWindow* w = Control(c.id);
        ASSERT_NE(w, nullptr) << c.id;
        if (c.kind != platform::ControlKind::List && c.kind != platform::ControlKind::Trackbar &&
            c.kind != platform::ControlKind::Edit) {
            EXPECT_EQ(w->GetLabel().utf8_string(), c.label) << c.id;
        }
        EXPECT_EQ(w->IsThisEnabled(), !(c.flags & platform::kDisabled)) << c.id;
    }
    EXPECT_EQ(Window().GetDefaultItem(), Control(ctl::kPlay));
    EXPECT_THAT(ListItems(), ElementsAre("おはよう", "こんにちは"));
    auto* slider = static_cast<wxSlider*>(Control(ctl::kVolume));
    EXPECT_EQ(slider->GetMax(), 100);
    EXPECT_EQ(slider->GetValue(), 30); // [SOUND] DEFAULT
    ASSERT_EQ(Window().SystemMenuItems().size(), 1u);
    EXPECT_EQ(Window().SystemMenuItems()[0].second, "バージョン情報 Voxlet(&A)...");
    // The focus stays visibly marked after pointer clicks.
    auto* gtkWindow = GTK_WINDOW(Window().GetHandle());
    EXPECT_TRUE(gtk_window_get_focus_visible(gtkWindow));
    guitest::ClickAt(guitest::ListItemPoint(List(), 1));
    guitest::Pump(300);
    EXPECT_TRUE(gtk_window_get_focus_visible(gtkWindow));
    guitest::SaveScreenshot(Window(), "main-window.png");
}

TEST_F(MainWindowTest, RadioClicksFillTheListAndRelabelTheCategories) {
    Start();
    ClickControl(ctl::kModeVoice);
    ASSERT_TRUE(guitest::WaitFor([this] { return ListItems().size() == 2; }));
    EXPECT_THAT(ListItems(), ElementsAre("ただいま", "おかえり"));
    EXPECT_EQ(Control(1005)->GetLabel().utf8_string(), "天気/歌/ダンス");
    ClickControl(1002);
    ASSERT_TRUE(
        guitest::WaitFor([this] { return ListItems() == std::vector<std::string>{"ひみつ"}; }));
    ClickControl(ctl::kModeNinshiki);
    ASSERT_TRUE(guitest::WaitFor([this] { return ListItems().size() == 2; }));
    EXPECT_EQ(Control(1005)->GetLabel().utf8_string(), "天気");
    ClickControl(1011); // disabled: no click
    ClickControl(1013); // quiz: list play disabled in this mode
    ASSERT_TRUE(guitest::WaitFor([this] { return ListItems().size() == 1; }));
    EXPECT_FALSE(Window().IsItemChecked(1011));
    EXPECT_FALSE(Window().IsItemEnabled(ctl::kListPlay));
}

TEST_F(MainWindowTest, EscClosesAndSavesTheVolumePosition) {
    Start();
    auto* slider = static_cast<wxSlider*>(Control(ctl::kVolume));
    const wxRect r = slider->GetScreenRect();
    // GTK moves the slider to the point clicked on its trough; the bottom is quiet.
    guitest::ClickAt(wxPoint(r.x + r.width / 2, r.y + r.height * 9 / 10));
    ASSERT_TRUE(guitest::WaitFor([slider] { return slider->GetValue() >= 80; }));
    EXPECT_TRUE(m_dlg->Player()->VolumeChanged());
    const int pos = slider->GetValue();
    guitest::PressKey(WXK_ESCAPE);
    ASSERT_TRUE(guitest::WaitFor([this] { return Window().HasEnded(); }));
    EXPECT_EQ(Window().Result(), platform::kIdCancel);
    Finish();
    EXPECT_THAT(SettingsText(), HasSubstr("DEFAULT=" + std::to_string(pos) + "\r\n"));
}

TEST_F(MainWindowTest, AMissingVoiceFolderAnsweredNoAndCancelledCloses) {
    std::filesystem::remove(m_dir / "voice/Ninshiki/NF01.wav");
    wxTEST_DIALOG(Start(), wxExpectModal<wxMessageDialog>(wxNO).Describe("message 105"),
                  wxExpectModal<wxFileDialog>(wxString(), wxID_CANCEL).Describe("NF01.wav"));
    ASSERT_TRUE(guitest::WaitFor([this] { return Window().HasEnded(); }));
}

TEST_F(MainWindowTest, TheAboutBoxOpensFromTheBackgroundContextMenu) {
    Start();
    guitest::Later keys(Keys({WXK_DOWN, WXK_RETURN}));
    keys.StartOnce(500);
    wxTEST_DIALOG(
        {
            guitest::ClickAt(Window().ClientToScreen(wxPoint(4, 4)), 3);
            ASSERT_TRUE(guitest::WaitFor([&keys] { return !keys.IsRunning(); }));
            guitest::Pump(300);
        },
        AboutBox().Describe("about box"));
    EXPECT_FALSE(Window().HasEnded());
    // F1 opens it too.
    guitest::Later f1(Keys({WXK_F1}));
    f1.StartOnce(100);
    wxTEST_DIALOG(
        {
            ASSERT_TRUE(guitest::WaitFor([&f1] { return !f1.IsRunning(); }));
            guitest::Pump(300);
        },
        AboutBox().Describe("about box by F1"));
    EXPECT_FALSE(Window().HasEnded());
}

TEST_F(MainWindowTest, InitInstanceRunsTheDialogModallyAndShutsDown) {
    bool result = true;
    auto& app = static_cast<CVoxletApp&>(*wxTheApp);
    app.SetSettingsFile(m_services.settingsPath);
    wxTEST_DIALOG(result = app.InitInstance(),
                  guitest::Inspect<voxwx::WxTemplateDialog>([](voxwx::WxTemplateDialog* dlg) {
                      EXPECT_EQ(dlg->ListCount(ctl::kClipList), 2); // OnInitDialog ran first
                      dlg->TrackSetPos(ctl::kVolume, 64);
                      return platform::kIdCancel;
                  }).Describe("main dialog"));
    EXPECT_FALSE(result);
    EXPECT_THAT(SettingsText(), HasSubstr("DEFAULT=64\r\n"));
}

// The user switches the route to FlashAir and the interval to ten seconds
// in the settings window (its screenshot saved) and presses OK: the settings
// file and the main window follow.
TEST_F(MainWindowTest, SettingsOkStoresRouteAndIntervalAndUpdatesTheMainWindow) {
    Settings("[PLAY]\nDEFAULT_INTERVAL=5\n");
    Start();
    bool seen = false, recognitionAfter = false;
    // Acts on the settings dialog once it is on screen, inside its modal loop.
    guitest::Later user([&] {
        auto* dlg = voxwx::WxTemplateDialog::Innermost();
        if (seen || !dlg || dlg->Template().id != IDD_DEFINE_DIALOG || !dlg->IsShownOnScreen())
            return;
        seen = true;
        guitest::Pump(300);
        guitest::SaveScreenshot(*dlg, "settings.png");
        Choose(*dlg, 1030, 2);
        recognitionAfter = dlg->Control(1040)->IsThisEnabled();
        auto* interval = static_cast<wxChoice*>(dlg->Control(1025));
        Choose(*dlg, 1025, interval->FindString(wxString::FromUTF8("10秒")));
        guitest::Click(dlg->Control(platform::kIdOk));
    });
    user.Start(100);
    ++guitest::g_realDialogsAllowed;
    ClickControl(ctl::kSettings);
    ASSERT_TRUE(guitest::WaitFor([&seen] { return seen; }, 10000));
    ASSERT_TRUE(guitest::WaitFor([] {
        auto* top = voxwx::WxTemplateDialog::Innermost();
        return top && top->Template().id == IDD_VOXLET_DIALOG;
    }));
    user.Stop();
    --guitest::g_realDialogsAllowed;
    guitest::Pump(100);

    EXPECT_TRUE(recognitionAfter); // the choice's change reached the logic

    const std::string ini = SettingsText();
    EXPECT_NE(ini.find("CONNECT_TYPE=2\r\n"), std::string::npos) << ini;
    // A replaced key keeps the line end it had (LF here).
    EXPECT_NE(ini.find("DEFAULT_INTERVAL=10\n"), std::string::npos) << ini;
    // Model 1 on a robot route: the program radio comes with a mode change.
    EXPECT_FALSE(Control(1021)->IsThisEnabled());
    ClickControl(ctl::kModeVoice);
    ClickControl(ctl::kModeNinshiki);
    EXPECT_TRUE(Control(1021)->IsThisEnabled());
    Finish();
}
