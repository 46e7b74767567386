// The real main window (template 102 on wx with CVoxletDlg as its logic),
// driven with real X mouse and key events under Xvfb.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "gui/gui_support.h"
#include "platform/dialog_host.h"
#include "platform/prompts.h"
#include "resources/templates.h"
#include "ui/wx/voxlet_app.h"
#include "ui/wx/wx_font.h"

using platform::ControlKind;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

bool IsPlayOf(const std::string& line, const std::string& clip) {
    return line.starts_with("audio play ") && line.find(clip) != std::string::npos &&
           line.ends_with("-> ok");
}

std::vector<std::string> Plays(const std::vector<std::string>& lines) {
    std::vector<std::string> plays;
    for (const auto& l : lines)
        if (l.starts_with("audio play "))
            plays.push_back(l);
    return plays;
}

// The about box as template 100 describes it.
void CheckAboutBox(voxwx::WxTemplateDialog& about) {
    EXPECT_EQ(about.GetTitle().utf8_string(), "バージョン情報 Voxlet");
    EXPECT_EQ(about.Template().id, IDD_ABOUTBOX);
    bool version = false;
    bool icon = false;
    for (const auto& c : about.Template().controls) {
        if (c.kind == ControlKind::Static && c.label == "Voxlet Version 5.40")
            version = true;
        if (c.kind == ControlKind::Icon)
            icon = true;
    }
    EXPECT_TRUE(version);
    EXPECT_TRUE(icon);
    auto* ok = dynamic_cast<wxButton*>(about.Control(platform::kIdOk));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetLabel().utf8_string(), "OK");
    EXPECT_EQ(about.GetDefaultItem(), ok);
}

class AboutBoxExpectation : public wxExpectModalBase<voxwx::WxTemplateDialog, AboutBoxExpectation> {
protected:
    int OnInvoked(voxwx::WxTemplateDialog* dlg) const override {
        CheckAboutBox(*dlg);
        return platform::kIdOk;
    }
};

// A key pressed from inside a nested event loop (a popup menu's).
class KeysLater final : public wxTimer {
public:
    explicit KeysLater(std::vector<int> keys) : m_keys(std::move(keys)) {}
    void Notify() override {
        wxUIActionSimulator sim;
        for (int key : m_keys) {
            sim.Char(key);
            wxMilliSleep(30);
        }
    }

private:
    std::vector<int> m_keys;
};

} // namespace

// ------------------------------------------------------------ building

TEST_F(MainWindowTest, BuildsEveryControlOfTemplate102) {
    Start();
    const auto& tpl = MainDialogTemplate();
    EXPECT_EQ(Window().GetTitle().utf8_string(), "ティコボイスプレイヤー");
    for (const auto& c : tpl.controls) {
        if (c.id < 0)
            continue;
        SCOPED_TRACE("control " + std::to_string(c.id));
        wxWindow* w = Control(c.id);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->GetId(), c.id);
        switch (c.kind) {
        case ControlKind::Radio:
            EXPECT_NE(dynamic_cast<wxRadioButton*>(w), nullptr);
            break;
        case ControlKind::Button:
        case ControlKind::DefButton:
            EXPECT_NE(dynamic_cast<wxButton*>(w), nullptr);
            break;
        case ControlKind::List:
            EXPECT_NE(dynamic_cast<wxListBox*>(w), nullptr);
            break;
        case ControlKind::Trackbar:
            EXPECT_NE(dynamic_cast<wxSlider*>(w), nullptr);
            break;
        case ControlKind::Edit:
            EXPECT_NE(dynamic_cast<wxTextCtrl*>(w), nullptr);
            break;
        default:
            break;
        }
        if (c.kind != ControlKind::List && c.kind != ControlKind::Trackbar &&
            c.kind != ControlKind::Edit) {
            EXPECT_EQ(Window().GetItemText(c.id), c.label);
            EXPECT_EQ(w->GetLabel().utf8_string(), c.label);
        }
        // The default settings change no initial state.
        EXPECT_EQ(w->IsThisEnabled(), !(c.flags & platform::kDisabled));
        EXPECT_TRUE(w->IsShown());
        if (c.kind == ControlKind::Radio) {
            EXPECT_EQ(Window().IsItemChecked(c.id), c.id == 1027 || c.id == 1001);
        }
    }
    // Statics and group boxes without an id exist too.
    EXPECT_EQ(Window().GetChildren().size(),
              tpl.controls.size() + 2 /* the hidden spares of the two radio groups */);

    EXPECT_EQ(Window().GetDefaultItem(), Control(3));
    auto* list = List();
    EXPECT_FALSE(list->HasFlag(wxLB_SORT));
    EXPECT_FALSE(list->HasFlag(wxLB_MULTIPLE) || list->HasFlag(wxLB_EXTENDED));
    EXPECT_THAT(ListItems(), ElementsAre("おはよう", "こんにちは", "こんばんは", "さようなら"));
    EXPECT_EQ(list->GetSelection(), wxNOT_FOUND);

    auto* slider = static_cast<wxSlider*>(Control(ctl::kVolume));
    EXPECT_TRUE(slider->HasFlag(wxSL_VERTICAL));
    EXPECT_FALSE(slider->HasFlag(wxSL_LABELS) || slider->HasFlag(wxSL_VALUE_LABEL) ||
                 slider->HasFlag(wxSL_MIN_MAX_LABELS));
    EXPECT_EQ(slider->GetMin(), 0);
    EXPECT_EQ(slider->GetMax(), 100);
    EXPECT_EQ(slider->GetValue(), 30); // [SOUND] DEFAULT
    EXPECT_EQ(slider->GetTickFreq(), 10);

    auto* edit = static_cast<wxTextCtrl*>(Control(ctl::kClipDisplay));
    EXPECT_FALSE(edit->IsEditable());
    EXPECT_TRUE(edit->HasFlag(wxTE_CENTRE));

    const wxFont font = Window().GetFont();
    EXPECT_EQ(font.GetPointSize(), 9);
    EXPECT_TRUE(font.GetFaceName() == "MS UI Gothic" || font.GetFaceName() == voxwx::kFallbackFace)
        << font.GetFaceName().utf8_string();

    EXPECT_EQ(Window().GetIcons().GetIconCount(), 3u);
    ASSERT_EQ(Window().SystemMenuItems().size(), 1u);
    EXPECT_EQ(Window().SystemMenuItems()[0].first, IDM_ABOUTBOX);
    EXPECT_EQ(Window().SystemMenuItems()[0].second, "バージョン情報 Voxlet(&A)...");
}

TEST_F(MainWindowTest, RectanglesComeFromDialogUnitsWithTheDialogFont) {
    Start();
    const double sx = Window().LayoutScaleX();
    const double sy = Window().LayoutScaleY();
    EXPECT_GE(sx, 1.0);
    EXPECT_GE(sy, 1.0);
    EXPECT_LT(sx, 2.0);
    EXPECT_LT(sy, 2.0);
    const auto& tpl = MainDialogTemplate();
    const wxSize client = Window().ConvertDialogToPixels(wxSize(tpl.w, tpl.h));
    EXPECT_NEAR(Window().GetClientSize().x, client.x * sx, 1.0);
    EXPECT_NEAR(Window().GetClientSize().y, client.y * sy, 1.0);
    for (const auto& c : tpl.controls) {
        if (c.id < 0)
            continue;
        SCOPED_TRACE("control " + std::to_string(c.id));
        const wxPoint tl = Window().ConvertDialogToPixels(wxPoint(c.x, c.y));
        const wxPoint br = Window().ConvertDialogToPixels(wxPoint(c.x + c.w, c.y + c.h));
        const wxRect r = Control(c.id)->GetRect();
        EXPECT_NEAR(r.x, tl.x * sx, 1.0);
        EXPECT_NEAR(r.y, tl.y * sy, 1.0);
        EXPECT_NEAR(r.GetRight() + 1, br.x * sx, 1.5);
        EXPECT_NEAR(r.GetBottom() + 1, br.y * sy, 1.5);
    }
}

TEST_F(MainWindowTest, NoLabelIsClippedInEitherMode) {
    Start();
    auto check = [this](const char* mode) {
        for (const auto& c : MainDialogTemplate().controls) {
            wxWindow* w = nullptr;
            for (wxWindow* child : Window().GetChildren())
                if (child->GetId() == c.id ||
                    (c.id < 0 && child->GetLabel().utf8_string() == std::string(c.label)))
                    w = child;
            if (!w || c.kind == ControlKind::List || c.kind == ControlKind::Edit ||
                c.kind == ControlKind::Group || c.kind == ControlKind::Icon)
                continue;
            w->InvalidateBestSize();
            const wxSize best = w->GetBestSize();
            const wxSize size = w->GetSize();
            EXPECT_LE(best.x, size.x) << mode << " control " << c.id << " \"" << c.label << "\"";
            if (c.kind != ControlKind::Trackbar) {
                EXPECT_LE(best.y, size.y) << mode << " control " << c.id;
            }
        }
    };
    check("recognition words");
    ClickControl(ctl::kModeVoice);
    ASSERT_TRUE(guitest::WaitFor([this] { return Window().IsItemChecked(ctl::kModeVoice); }));
    check("Tiko");
}

// ------------------------------------------------------------ radios

TEST_F(MainWindowTest, ModeRadiosSwitchTheCatalogueAndTheCategoryLabels) {
    Start();
    ClickControl(ctl::kModeVoice);
    ASSERT_TRUE(guitest::WaitFor([this] { return ListItems().size() == 2; }));
    EXPECT_THAT(ListItems(), ElementsAre("ただいま", "おかえり"));
    EXPECT_TRUE(Window().IsItemChecked(ctl::kModeVoice));
    EXPECT_FALSE(Window().IsItemChecked(ctl::kModeNinshiki));
    EXPECT_TRUE(Window().IsItemChecked(1001));
    EXPECT_EQ(Window().GetItemText(1005), "天気/歌/ダンス");
    EXPECT_EQ(Window().GetItemText(1010), "英語");
    EXPECT_EQ(Window().GetItemText(1022), "プレイリスト");
    EXPECT_EQ(Control(1005)->GetLabel().utf8_string(), "天気/歌/ダンス");
    EXPECT_TRUE(Window().IsItemEnabled(1019));
    EXPECT_EQ(Dlg().m_nModeRadio, 1);

    ClickControl(1006);
    ASSERT_TRUE(guitest::WaitFor([this] { return ListItems().size() == 1; }));
    EXPECT_THAT(ListItems(), ElementsAre("ロボだよ"));
    EXPECT_TRUE(Window().IsItemChecked(1006));
    EXPECT_FALSE(Window().IsItemChecked(1001));
    EXPECT_EQ(Dlg().m_nCategoryRadio, 5);

    ClickControl(ctl::kModeNinshiki);
    ASSERT_TRUE(guitest::WaitFor([this] { return ListItems().size() == 4; }));
    EXPECT_TRUE(Window().IsItemChecked(1001));
    EXPECT_FALSE(Window().IsItemChecked(1006));
    EXPECT_EQ(Window().GetItemText(1005), "天気");
    EXPECT_FALSE(Window().IsItemEnabled(1019));
}

TEST_F(MainWindowTest, CategoryRadiosFillTheListAndSetTheButtons) {
    Start();
    ClickControl(1002);
    ASSERT_TRUE(guitest::WaitFor([this] { return ListItems().size() == 1; }));
    EXPECT_THAT(ListItems(), ElementsAre("ティコ"));
    EXPECT_TRUE(Window().IsItemChecked(1002));
    EXPECT_FALSE(Window().IsItemChecked(1001));

    ClickControl(1023); // all rows of categories 0..10
    ASSERT_TRUE(guitest::WaitFor([this] { return ListItems().size() == 6; }));

    ClickControl(1013); // quiz: a flag column, list play disabled in mode 0
    ASSERT_TRUE(guitest::WaitFor([this] { return ListItems().size() == 1; }));
    EXPECT_THAT(ListItems(), ElementsAre("クイズです"));
    EXPECT_FALSE(Window().IsItemEnabled(ctl::kListPlay));

    // A disabled radio takes no click; the click on the list after it is
    // handled after it.
    ClickControl(1011);
    guitest::ClickAt(guitest::ListItemPoint(List(), 0));
    ASSERT_TRUE(guitest::WaitFor([this] { return List()->GetSelection() == 0; }));
    EXPECT_FALSE(Window().IsItemChecked(1011));
    EXPECT_TRUE(Window().IsItemChecked(1013));

    ClickControl(1001);
    ASSERT_TRUE(guitest::WaitFor([this] { return ListItems().size() == 4; }));
    EXPECT_TRUE(Window().IsItemEnabled(ctl::kListPlay));
    EXPECT_EQ(Dlg().m_nCategoryRadio, 0);
}

TEST_F(MainWindowTest, ClickingTheCheckedRadioRefillsTheList) {
    Start();
    guitest::ClickAt(guitest::ListItemPoint(List(), 2));
    ASSERT_TRUE(guitest::WaitFor([this] { return List()->GetSelection() == 2; }));
    // Windows sends BN_CLICKED for a click on the radio that is already
    // checked: the category is shown anew, with its default selection (none).
    ClickControl(1001);
    ASSERT_TRUE(guitest::WaitFor([this] { return List()->GetSelection() == wxNOT_FOUND; }));
    EXPECT_EQ(ListItems().size(), 4u);
}

// ------------------------------------------------------------ play

TEST_F(MainWindowTest, EnterPlaysTheSelectedClip) {
    Start();
    guitest::ClickAt(guitest::ListItemPoint(List(), 1));
    ASSERT_TRUE(guitest::WaitFor([this] { return List()->GetSelection() == 1; }));
    TakeAudio();
    guitest::PressKey(WXK_RETURN);
    ASSERT_TRUE(guitest::WaitFor([this] {
        return std::any_of(m_audio.begin(), m_audio.end(),
                           [](const std::string& l) { return IsPlayOf(l, "NF03.wav"); });
    })) << ::testing::PrintToString(m_audio);
    EXPECT_EQ(Plays(m_audio).size(), 1u);
    // A row of 0 seconds shows its sound id.
    EXPECT_EQ(Window().GetItemText(ctl::kClipDisplay), "3");
    EXPECT_FALSE(Window().HasEnded());
}

TEST_F(MainWindowTest, DoubleClickPlaysTheClipAtTheTrackbarVolume) {
    Start();
    TakeAudio();
    guitest::DoubleClickAt(guitest::ListItemPoint(List(), 0));
    ASSERT_TRUE(guitest::WaitFor([this] {
        return std::any_of(m_audio.begin(), m_audio.end(),
                           [](const std::string& l) { return IsPlayOf(l, "NF02.wav"); });
    })) << ::testing::PrintToString(m_audio);
    // Position 30: 70 percent, 25 * 70 - 1500 hundredths of a dB.
    EXPECT_THAT(m_audio, Contains("audio gain 250"));
    EXPECT_EQ(Plays(m_audio).size(), 1u);
}

TEST_F(MainWindowTest, TheTopOfTheTrackbarIsLoud) {
    Start();
    auto* slider = static_cast<wxSlider*>(Control(ctl::kVolume));
    const wxRect r = slider->GetScreenRect();
    Dlg().Player()->m_bVolumeChanged = false;
    // GTK moves the slider to the point clicked on its trough.
    guitest::ClickAt(wxPoint(r.x + r.width / 2, r.y + r.height / 10));
    ASSERT_TRUE(guitest::WaitFor([slider] { return slider->GetValue() <= 20; }))
        << slider->GetValue();
    EXPECT_TRUE(Dlg().Player()->m_bVolumeChanged); // WM_VSCROLL reached the logic
    guitest::ClickAt(wxPoint(r.x + r.width / 2, r.y + r.height * 9 / 10));
    ASSERT_TRUE(guitest::WaitFor([slider] { return slider->GetValue() >= 80; }))
        << slider->GetValue();
}

TEST_F(MainWindowTest, ListPlayRunsOnTimerTicksSkipsFlaggedRowsAndStopsAtTheEnd) {
    Start();
    TakeAudio();
    ClickControl(ctl::kListPlay);
    // Running: Play disabled, Stop enabled (or already done: 3 clips x 100 ms).
    ASSERT_TRUE(guitest::WaitFor([this] { return Plays(m_audio).size() >= 1; }))
        << ::testing::PrintToString(m_audio);
    ASSERT_TRUE(guitest::WaitFor([this] { return Window().IsItemEnabled(ctl::kPlay); }, 8000));
    const auto plays = Plays(TakeAudio());
    ASSERT_EQ(plays.size(), 3u) << ::testing::PrintToString(plays);
    EXPECT_TRUE(IsPlayOf(plays[0], "NF02.wav"));
    EXPECT_TRUE(IsPlayOf(plays[1], "NF03.wav"));
    EXPECT_TRUE(IsPlayOf(plays[2], "NF05.wav")); // こんばんは (0x800) skipped
    EXPECT_FALSE(Window().IsItemEnabled(ctl::kStop));
    EXPECT_EQ(List()->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(Window().TimerPeriod(SEQUENCE_TIMER), -1);
}

TEST_F(MainWindowTest, StopEndsListPlay) {
    Settings("[SOUND]\r\nDEFAULT=30\r\n[PLAY]\r\nINTERVAL_MERGIN=4000\r\n");
    Start();
    TakeAudio();
    ClickControl(ctl::kListPlay);
    ASSERT_TRUE(guitest::WaitFor([this] { return Window().IsItemEnabled(ctl::kStop); }));
    EXPECT_FALSE(Window().IsItemEnabled(ctl::kPlay));
    EXPECT_EQ(Window().TimerPeriod(SEQUENCE_TIMER), 4000);
    EXPECT_EQ(List()->GetSelection(), 0);
    ClickControl(ctl::kStop);
    ASSERT_TRUE(guitest::WaitFor([this] { return Window().IsItemEnabled(ctl::kPlay); }));
    EXPECT_FALSE(Window().IsItemEnabled(ctl::kStop));
    EXPECT_EQ(Window().TimerPeriod(SEQUENCE_TIMER), -1);
    const auto plays = Plays(TakeAudio());
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_TRUE(IsPlayOf(plays[0], "NF02.wav"));
}

// ------------------------------------------------------------ keys and closing

TEST_F(MainWindowTest, TheFocusStartsOnTheFirstTabStopControl) {
    Start();
    guitest::ClickAt(Window().ClientToScreen(wxPoint(2, 2)));
    guitest::Pump(100);
    // Template order: radios 1027/1028 (no tab stop), then button 2.
    EXPECT_EQ(wxWindow::FindFocus(), Control(platform::kIdCancel));
}

TEST_F(MainWindowTest, EnterOnAFocusedPushButtonPressesThatButton) {
    Start();
    guitest::ClickAt(
        wxPoint(Window().GetScreenPosition().x + 3, Window().GetScreenPosition().y + 3));
    Control(platform::kIdCancel)->SetFocus();
    guitest::Pump(100);
    ASSERT_EQ(wxWindow::FindFocus(), Control(platform::kIdCancel));
    guitest::PressKey(WXK_RETURN);
    ASSERT_TRUE(guitest::WaitFor([this] { return Window().HasEnded(); }));
    EXPECT_EQ(Window().Result(), platform::kIdCancel);
    EXPECT_TRUE(TakeAudio().empty() || Plays(m_audio).empty());
}

TEST_F(MainWindowTest, EscClosesAndSavesTheVolumePosition) {
    Start();
    auto* slider = static_cast<wxSlider*>(Control(ctl::kVolume));
    const wxRect r = slider->GetScreenRect();
    guitest::ClickAt(wxPoint(r.x + r.width / 2, r.y + r.height * 9 / 10));
    ASSERT_TRUE(guitest::WaitFor([slider] { return slider->GetValue() >= 80; }));
    const int pos = slider->GetValue();
    guitest::PressKey(WXK_ESCAPE);
    ASSERT_TRUE(guitest::WaitFor([this] { return Window().HasEnded(); }));
    EXPECT_EQ(Window().Result(), platform::kIdCancel);
    Finish();
    EXPECT_THAT(SettingsText(), HasSubstr("DEFAULT=" + std::to_string(pos) + "\r\n"));
}

TEST_F(MainWindowTest, CloseButtonEndsTheDialogAndSavesTheVolume) {
    Start();
    Window().TrackSetPos(ctl::kVolume, 55);
    ClickControl(platform::kIdCancel);
    ASSERT_TRUE(guitest::WaitFor([this] { return Window().HasEnded(); }));
    EXPECT_EQ(Window().Result(), platform::kIdCancel);
    EXPECT_FALSE(Window().IsShown());
    Finish();
    EXPECT_THAT(SettingsText(), HasSubstr("DEFAULT=55\r\n"));
}

TEST_F(MainWindowTest, CloseBoxEndsTheDialog) {
    Start();
    Window().Close(); // what the window manager's close box sends
    ASSERT_TRUE(guitest::WaitFor([this] { return Window().HasEnded(); }));
    EXPECT_EQ(Window().Result(), platform::kIdCancel);
    Finish();
    EXPECT_THAT(SettingsText(), HasSubstr("DEFAULT=30\r\n"));
}

TEST_F(MainWindowTest, AMissingVoiceFolderAnsweredNoAndCancelledClosesRightAfterStart) {
    std::filesystem::remove(m_dir / "voice/Ninshiki/NF01.wav");
    wxTEST_DIALOG(Start(), wxExpectModal<wxMessageDialog>(wxNO).Describe("message 105"),
                  wxExpectModal<wxFileDialog>(wxString(), wxID_CANCEL).Describe("NF01.wav"));
    ASSERT_TRUE(guitest::WaitFor([this] { return Window().HasEnded(); }));
    EXPECT_EQ(Window().Result(), platform::kIdCancel);
    Finish();
    EXPECT_THAT(SettingsText(), HasSubstr("DEFAULT=30\r\n"));
}

// ------------------------------------------------------------ about box

TEST_F(MainWindowTest, TheAboutBoxOpensFromTheBackgroundContextMenu) {
    Start();
    KeysLater keys({WXK_DOWN, WXK_RETURN});
    keys.StartOnce(500);
    // A point of the client area that no control covers.
    const wxPoint background = Window().ClientToScreen(wxPoint(4, 4));
    wxTEST_DIALOG(
        {
            guitest::ClickAt(background, 3);
            ASSERT_TRUE(guitest::WaitFor([&keys] { return !keys.IsRunning(); }));
            guitest::Pump(300);
        },
        AboutBoxExpectation().Describe("about box"));
    EXPECT_FALSE(Window().HasEnded());
}

TEST_F(MainWindowTest, AControlsContextMenuDoesNotOfferTheAboutItem) {
    Start();
    int menus = 0;
    Window().Bind(wxEVT_MENU_OPEN, [&menus](wxMenuEvent& event) {
        ++menus;
        event.Skip();
    });
    // Were a menu to come up, Escape would close it; the about box must not open.
    class EscapeIfMenu final : public wxTimer {
    public:
        explicit EscapeIfMenu(const int& menus) : m_menus(menus) {}
        void Notify() override {
            if (m_menus > 0)
                wxUIActionSimulator().Char(WXK_ESCAPE);
        }

    private:
        const int& m_menus;
    } escape(menus);
    escape.StartOnce(500);
    guitest::ClickAt(guitest::ListItemPoint(List(), 0), 3);
    // A left click after it is handled once the right click has been.
    guitest::ClickAt(guitest::ListItemPoint(List(), 1));
    ASSERT_TRUE(guitest::WaitFor([this] { return List()->GetSelection() == 1; }));
    EXPECT_EQ(menus, 0);
    EXPECT_FALSE(Window().HasEnded());
}

// ------------------------------------------------------------ application

TEST_F(MainWindowTest, InitInstanceRunsTheDialogModallyAndReturnsFalse) {
    auto& app = static_cast<CVoxletApp&>(*wxTheApp);
    bool result = true;
    class MainExpectation : public wxExpectModalBase<voxwx::WxTemplateDialog, MainExpectation> {
    protected:
        int OnInvoked(voxwx::WxTemplateDialog* dlg) const override {
            // OnInitDialog ran before the modal loop: the list is filled.
            EXPECT_EQ(dlg->Template().id, IDD_VOXLET_DIALOG);
            EXPECT_EQ(dlg->ListCount(ctl::kClipList), 4);
            EXPECT_TRUE(dlg->IsItemChecked(ctl::kModeNinshiki));
            EXPECT_EQ(dlg->GetIcons().GetIconCount(), 3u);
            dlg->TrackSetPos(ctl::kVolume, 64);
            return platform::kIdCancel;
        }
    };
    wxTEST_DIALOG(result = app.InitInstance(), MainExpectation().Describe("main dialog"));
    EXPECT_FALSE(result);
    // Shut-down ran: the volume position was written.
    EXPECT_THAT(SettingsText(), HasSubstr("DEFAULT=64\r\n"));
}
