// The real main window (template 102 on wx with CVoxletDlg as its logic),
// driven with real X mouse and key events under Xvfb.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/slider.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <filesystem>

#include <gtk/gtk.h>

#include "gui/gui_support.h"
#include "platform/dialog_host.h"
#include "platform/http_transport.h"
#include "resources/templates.h"
#include "ui/wx/voxlet_app.h"

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

TEST_F(MainWindowTest, TheFocusStaysVisiblyMarkedAfterPointerClicks) {
    Start();
    auto* window = GTK_WINDOW(Window().GetHandle());
    EXPECT_TRUE(gtk_window_get_focus_visible(window));
    ClickControl(ctl::kModeVoice);
    EXPECT_TRUE(gtk_window_get_focus_visible(window));
}

TEST_F(MainWindowTest, BuildsEveryControlOfTemplate102) {
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
    guitest::ClickAt(guitest::ListItemPoint(List(), 1));
    guitest::Pump(300);
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
    EXPECT_TRUE(Dlg().Player()->VolumeChanged());
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
