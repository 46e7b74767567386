// The wx dialog host with a small template of every control kind: the same
// observable behaviour as the headless host, and the dialog manager's routing
// of clicks, keys, timers and close requests.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/timer.h>

#include <gtk/gtk.h>

#include <map>

#include "gui/gui_support.h"
#include "platform/dialog_host.h"
#include "platform/dialog_template.h"
#include "ui/about_dlg.h"
#include "ui/wx/wx_prompts.h"

using ::testing::ElementsAre;
using ::testing::Pair;
using namespace platform;

namespace {

constexpr std::string_view kRouteItems[] = {"PC", "USB", "FlashAir"};

constexpr ControlTemplate kControls[] = {
    {10, ControlKind::Radio, 5, 5, 60, 10, kStartsGroup, "Alpha"},
    {11, ControlKind::Radio, 5, 17, 60, 10, kNone, "Beta"},
    {12, ControlKind::Check, 5, 30, 60, 10, kStartsGroup | kTabStop, "Check"},
    {23, ControlKind::Edit, 5, 45, 60, 12, kReadOnly | kCentred | kBorder | kTabStop, ""},
    {20, ControlKind::List, 70, 5, 60, 40, kStartsGroup | kTabStop | kNotify | kVScroll | kBorder,
     ""},
    {21, ControlKind::Combo, 70, 50, 60, 60, kTabStop, ""},
    {22, ControlKind::Trackbar, 140, 5, 20, 60, kTabStop | kVertical, ""},
    {1, ControlKind::DefButton, 140, 70, 40, 14, kTabStop, "OK"},
    {2, ControlKind::Button, 140, 88, 40, 14, kTabStop, "Cancel"},
    {30, ControlKind::Button, 90, 88, 40, 14, kTabStop | kDisabled, "Off"},
    {-1, ControlKind::Static, 5, 70, 60, 8, kNone, "A&&B"},
    {24, ControlKind::Combo, 5, 88, 60, 40, kTabStop, "", kRouteItems},
};
const DialogTemplate kTemplate{900, "Test dialog", 190, 110, "MS UI Gothic", 9, kControls};

class RecordingLogic : public ModalDialogLogic {
public:
    const DialogTemplate& Template() const override { return kTemplate; }
    void OnInitDialog(DialogHost& host) override {
        ++inits;
        if (endInInit)
            host.EndDialog(kIdOk);
    }
    void OnCommand(DialogHost& host, int id, int notification) override {
        commands.emplace_back(id, notification);
        ModalDialogLogic::OnCommand(host, id, notification);
    }
    void OnTimer(DialogHost&, int timerId) override { ++ticks[timerId]; }
    void OnDestroy(DialogHost&) override { ++destroyed; }
    std::vector<std::pair<int, int>> commands;
    int inits = 0;
    bool endInInit = false;
    std::map<int, int> ticks; // by timer id
    int destroyed = 0;
};

class TemplateDialogTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (m_dialog) {
            m_dialog->FinishDialog();
            m_dialog->Destroy();
            guitest::Pump(30);
        }
        platform::SetPrompts(nullptr);
    }
    voxwx::WxTemplateDialog& Make(bool show = true) {
        m_dialog = new voxwx::WxTemplateDialog(nullptr, m_logic);
        m_dialog->Move(0, 0);
        if (show) {
            m_dialog->ShowModeless();
            EXPECT_TRUE(guitest::WaitFor([this] { return m_dialog->IsShownOnScreen(); }));
            guitest::Pump(100);
        }
        return *m_dialog;
    }
    void ClickOn(int id) {
        guitest::Click(m_dialog->Control(id));
        guitest::Pump(80);
    }

    RecordingLogic m_logic;
    voxwx::WxTemplateDialog* m_dialog = nullptr;
};

// A callback from inside a nested event loop.
class Later final : public wxTimer {
public:
    explicit Later(std::function<void()> fn) : m_fn(std::move(fn)) {}
    void Notify() override { m_fn(); }

private:
    std::function<void()> m_fn;
};

} // namespace

// ------------------------------------------------------------ host state

TEST_F(TemplateDialogTest, ListSelectionOutOfRangeClearsIt) {
    auto& d = Make(false);
    EXPECT_EQ(d.ListAdd(20, "a"), 0);
    EXPECT_EQ(d.ListAdd(20, "b"), 1);
    EXPECT_EQ(d.ListAdd(20, "日本語"), 2);
    EXPECT_EQ(d.ListCount(20), 3);
    EXPECT_EQ(d.ListGetSel(20), -1);
    d.ListSetSel(20, 2);
    EXPECT_EQ(d.ListGetSel(20), 2);
    EXPECT_EQ(d.ListGetText(20, 2), "日本語");
    d.ListSetSel(20, 3);
    EXPECT_EQ(d.ListGetSel(20), -1);
    d.ListSetSel(20, 1);
    d.ListSetSel(20, -1);
    EXPECT_EQ(d.ListGetSel(20), -1);
    EXPECT_EQ(d.ListGetText(20, 3), "");
    EXPECT_EQ(d.ListGetText(20, -1), "");
    d.ListReset(20);
    EXPECT_EQ(d.ListCount(20), 0);
    // Operations on ids that are not lists do nothing.
    EXPECT_EQ(d.ListAdd(99, "x"), -1);
    EXPECT_EQ(d.ListCount(1), 0);
    EXPECT_TRUE(m_logic.commands.empty()); // none of this notifies
}

TEST_F(TemplateDialogTest, ComboSelectionBehavesLikeTheList) {
    auto& d = Make(false);
    d.ComboAdd(21, "USB");
    d.ComboAdd(21, "FlashAir");
    EXPECT_EQ(d.ComboGetSel(21), -1);
    EXPECT_EQ(d.ComboGetText(21), "");
    d.ComboSetSel(21, 1);
    EXPECT_EQ(d.ComboGetText(21), "FlashAir");
    d.ComboSetSel(21, 7);
    EXPECT_EQ(d.ComboGetSel(21), -1);
    d.ComboReset(21);
    EXPECT_EQ(d.ComboCount(21), 0);
    EXPECT_TRUE(m_logic.commands.empty());
}

TEST_F(TemplateDialogTest, ComboBoxesStartWithTheTemplatesItems) {
    auto& d = Make(false);
    EXPECT_EQ(d.ComboCount(24), 3);
    EXPECT_EQ(d.ComboGetSel(24), -1);
    d.ComboSetSel(24, 2);
    EXPECT_EQ(d.ComboGetText(24), "FlashAir");
}

TEST_F(TemplateDialogTest, TrackbarRangeIsZeroToHundredAndPositionsAreClamped) {
    auto& d = Make(false);
    EXPECT_EQ(d.TrackGetPos(22), 0);
    d.TrackSetPos(22, 40);
    EXPECT_EQ(d.TrackGetPos(22), 40);
    d.TrackSetPos(22, 150);
    EXPECT_EQ(d.TrackGetPos(22), 100);
    d.TrackSetPos(22, -5);
    EXPECT_EQ(d.TrackGetPos(22), 0);
    d.TrackSetTicFreq(22, 10);
    EXPECT_EQ(static_cast<wxSlider*>(d.Control(22))->GetTickFreq(), 10);
}

TEST_F(TemplateDialogTest, TextsEnabledVisibleAndChecked) {
    auto& d = Make(false);
    EXPECT_EQ(d.GetItemText(10), "Alpha");
    d.SetItemText(10, "アルファ");
    EXPECT_EQ(d.GetItemText(10), "アルファ");
    EXPECT_EQ(d.Control(10)->GetLabel().utf8_string(), "アルファ");
    d.SetItemText(23, "NF02.wav");
    EXPECT_EQ(d.GetItemText(23), "NF02.wav");
    EXPECT_FALSE(d.IsItemEnabled(30));
    d.EnableItem(30, true);
    EXPECT_TRUE(d.IsItemEnabled(30));
    d.ShowItem(12, false);
    EXPECT_FALSE(d.IsItemVisible(12));
    EXPECT_FALSE(d.IsItemVisible(99));
    EXPECT_EQ(d.GetItemText(99), "");
}

TEST_F(TemplateDialogTest, ALongerLabelWidensTheLayoutInsteadOfClipping) {
    auto& d = Make();
    const wxSize before = d.GetClientSize();
    d.SetItemText(10, "とても長いラベルのラジオボタンです");
    wxWindow* radio = d.Control(10);
    radio->InvalidateBestSize();
    EXPECT_LE(radio->GetBestSize().x, radio->GetSize().x);
    EXPECT_GT(d.GetClientSize().x, before.x);
    // Every control keeps its place relative to the others.
    EXPECT_LT(d.Control(10)->GetRect().GetRight(), d.Control(20)->GetRect().GetLeft());
}

TEST_F(TemplateDialogTest, TheFirstTabStopControlHasTheFocusAtStart) {
    auto& d = Make();
    guitest::ClickAt(d.ClientToScreen(wxPoint(2, 2))); // the window takes the input focus
    guitest::Pump(100);
    EXPECT_EQ(wxWindow::FindFocus(), d.Control(12)); // the radios are no tab stops
}

TEST_F(TemplateDialogTest, RadioGroupsStartUncheckedAndCanBeEmptied) {
    auto& d = Make(false);
    EXPECT_FALSE(d.IsItemChecked(10));
    EXPECT_FALSE(d.IsItemChecked(11));
    d.CheckItem(10, true);
    EXPECT_TRUE(d.IsItemChecked(10));
    d.CheckItem(11, true);
    EXPECT_FALSE(d.IsItemChecked(10));
    EXPECT_TRUE(d.IsItemChecked(11));
    d.CheckItem(11, false); // a Windows radio group may have none checked
    EXPECT_FALSE(d.IsItemChecked(10));
    EXPECT_FALSE(d.IsItemChecked(11));
    d.CheckItem(12, true);
    EXPECT_TRUE(d.IsItemChecked(12));
    EXPECT_TRUE(m_logic.commands.empty()); // the program's changes notify nothing
}

TEST_F(TemplateDialogTest, TimersRearmAndStop) {
    auto& d = Make(false);
    EXPECT_EQ(d.TimerPeriod(1), -1);
    d.SetTimer(1, 30);
    EXPECT_EQ(d.TimerPeriod(1), 30);
    ASSERT_TRUE(guitest::WaitFor([this] { return m_logic.ticks[1] >= 3; }));
    d.SetTimer(1, 5000); // re-arms with the new period
    const int ticks = m_logic.ticks[1];
    // Two ticks of a 100 ms timer outlast the old period.
    d.SetTimer(2, 100);
    ASSERT_TRUE(guitest::WaitFor([this] { return m_logic.ticks[2] >= 2; }));
    EXPECT_EQ(m_logic.ticks[1], ticks);
    d.SetTimer(4, 0); // raised to the system's minimum, never a busy loop
    EXPECT_EQ(d.TimerPeriod(4), 0);
    ASSERT_TRUE(guitest::WaitFor([this] { return m_logic.ticks[4] >= 1; }));
    d.KillTimer(4);
    d.KillTimer(1);
    EXPECT_EQ(d.TimerPeriod(1), -1);
    const int after = m_logic.ticks[4];
    const int before = m_logic.ticks[2];
    ASSERT_TRUE(guitest::WaitFor([&] { return m_logic.ticks[2] >= before + 2; }));
    EXPECT_EQ(m_logic.ticks[4], after);
}

// ------------------------------------------------------------ user input

TEST_F(TemplateDialogTest, ARadioClickChecksItAndSendsBnClickedEveryTime) {
    auto& d = Make();
    ClickOn(11);
    EXPECT_TRUE(d.IsItemChecked(11));
    EXPECT_THAT(m_logic.commands, ElementsAre(Pair(11, kNotifyClicked)));
    ClickOn(10);
    EXPECT_TRUE(d.IsItemChecked(10));
    EXPECT_FALSE(d.IsItemChecked(11));
    ClickOn(10); // already checked: still a click
    EXPECT_THAT(m_logic.commands, ElementsAre(Pair(11, kNotifyClicked), Pair(10, kNotifyClicked),
                                              Pair(10, kNotifyClicked)));
}

TEST_F(TemplateDialogTest, CheckBoxAndButtonsSendBnClickedDisabledOnesNothing) {
    auto& d = Make();
    ClickOn(12);
    EXPECT_TRUE(d.IsItemChecked(12));
    ClickOn(30); // disabled
    ClickOn(11); // handled after the click before it
    ASSERT_TRUE(guitest::WaitFor([this] { return m_logic.commands.size() >= 2; }));
    EXPECT_THAT(m_logic.commands, ElementsAre(Pair(12, kNotifyClicked), Pair(11, kNotifyClicked)));
}

TEST_F(TemplateDialogTest, ListDoubleClickNotifiesLbnDblclk) {
    auto& d = Make();
    d.ListAdd(20, "first");
    d.ListAdd(20, "second");
    guitest::Pump(50);
    guitest::DoubleClickAt(guitest::ListItemPoint(static_cast<wxListBox*>(d.Control(20)), 1));
    ASSERT_TRUE(guitest::WaitFor([this] { return !m_logic.commands.empty(); }));
    EXPECT_THAT(m_logic.commands, ElementsAre(Pair(20, kNotifyDoubleClick)));
    EXPECT_EQ(d.ListGetSel(20), 1);
}

TEST_F(TemplateDialogTest, ComboSelectionByTheUserNotifiesCbnSelchange) {
    auto& d = Make();
    d.ComboAdd(21, "a");
    d.ComboAdd(21, "b");
    auto* choice = static_cast<wxChoice*>(d.Control(21));
    choice->SetSelection(1);
    wxCommandEvent event(wxEVT_CHOICE, 21); // what the toolkit sends for a user choice
    event.SetEventObject(choice);
    event.SetInt(1);
    choice->ProcessWindowEvent(event);
    EXPECT_THAT(m_logic.commands, ElementsAre(Pair(21, kNotifySelChange)));
}

TEST_F(TemplateDialogTest, EnterPressesTheDefaultButton) {
    auto& d = Make();
    d.ListAdd(20, "x");
    guitest::Click(d.Control(20));
    guitest::Pump(50);
    guitest::PressKey(WXK_RETURN);
    ASSERT_TRUE(guitest::WaitFor([&d] { return d.HasEnded(); }));
    EXPECT_THAT(m_logic.commands, ElementsAre(Pair(kIdOk, kNotifyClicked)));
    EXPECT_EQ(d.Result(), kIdOk);
}

TEST_F(TemplateDialogTest, EnterDoesNothingWhileTheDefaultButtonIsDisabled) {
    auto& d = Make();
    d.EnableItem(kIdOk, false);
    guitest::Click(d.Control(20));
    guitest::PressKey(WXK_RETURN);
    guitest::PressKey(WXK_ESCAPE); // handled after Enter
    ASSERT_TRUE(guitest::WaitFor([&d] { return d.HasEnded(); }));
    EXPECT_THAT(m_logic.commands, ElementsAre(Pair(kIdCancel, kNotifyClicked)));
}

TEST_F(TemplateDialogTest, EscapeSendsIdCancel) {
    auto& d = Make();
    guitest::Click(d.Control(20));
    guitest::PressKey(WXK_ESCAPE);
    ASSERT_TRUE(guitest::WaitFor([&d] { return d.HasEnded(); }));
    EXPECT_THAT(m_logic.commands, ElementsAre(Pair(kIdCancel, kNotifyClicked)));
    EXPECT_EQ(d.Result(), kIdCancel);
}

TEST_F(TemplateDialogTest, TheCloseBoxDoesNothingWhileCancelIsDisabled) {
    auto& d = Make();
    d.EnableItem(kIdCancel, false);
    d.Close();
    guitest::Pump(50);
    EXPECT_FALSE(d.HasEnded());
    d.EnableItem(kIdCancel, true);
    d.Close();
    ASSERT_TRUE(guitest::WaitFor([&d] { return d.HasEnded(); }));
    EXPECT_EQ(d.Result(), kIdCancel);
}

TEST_F(TemplateDialogTest, APostedCloseEndsTheDialogOnceEventsRun) {
    auto& d = Make();
    d.PostClose();
    EXPECT_FALSE(d.HasEnded());
    ASSERT_TRUE(guitest::WaitFor([&d] { return d.HasEnded(); }));
    EXPECT_THAT(m_logic.commands, ElementsAre(Pair(kIdCancel, kNotifyClicked)));
}

TEST_F(TemplateDialogTest, FinishingRunsOnDestroyOnceAndStopsTimers) {
    auto& d = Make();
    d.SetTimer(1, 20);
    d.FinishDialog();
    d.FinishDialog();
    EXPECT_EQ(m_logic.destroyed, 1);
    EXPECT_EQ(d.TimerPeriod(1), -1);
}

// ------------------------------------------------------------ modal loops

TEST_F(TemplateDialogTest, EndingInOnInitDialogSkipsTheModalLoop) {
    m_logic.endInInit = true;
    voxwx::WxTemplateDialog dialog(nullptr, m_logic);
    EXPECT_EQ(dialog.RunModal(), kIdOk); // a shown dialog would fail the test
    EXPECT_EQ(m_logic.inits, 1);
    EXPECT_EQ(m_logic.destroyed, 1);
}

TEST_F(TemplateDialogTest, TimerTicksArriveWhileAModalDialogRuns) {
    auto& d = Make();
    d.SetTimer(1, 20);
    voxwx::WxPrompts prompts;
    CAboutDlg about;
    const int before = m_logic.ticks[1];
    int checks = 0;
    // Checks every 50 ms from inside the about box's loop; ends it once the
    // main window's timer has ticked five times meanwhile (or after 10 s).
    Later closer([&] {
        auto* inner = voxwx::WxTemplateDialog::Innermost();
        if (!inner || inner->Template().id != 100)
            return;
        if (m_logic.ticks[1] - before >= 5 || ++checks > 200)
            inner->EndDialog(kIdOk);
    });
    closer.Start(50);
    ++guitest::g_realDialogsAllowed;
    const int rc = prompts.RunModal(about);
    --guitest::g_realDialogsAllowed;
    closer.Stop();
    EXPECT_EQ(rc, kIdOk);
    EXPECT_GE(m_logic.ticks[1] - before, 5);
    EXPECT_LE(checks, 200);
}

TEST_F(TemplateDialogTest, TimerTicksArriveWhileAMessageBoxIsOpen) {
    auto& d = Make();
    d.SetTimer(1, 20);
    voxwx::WxPrompts prompts;
    const int before = m_logic.ticks[1];
    int checks = 0;
    Later closer([&] {
        if (m_logic.ticks[1] - before < 5 && ++checks <= 200)
            return;
        GList* windows = gtk_window_list_toplevels();
        for (GList* w = windows; w; w = w->next)
            if (GTK_IS_MESSAGE_DIALOG(w->data))
                gtk_dialog_response(GTK_DIALOG(w->data), GTK_RESPONSE_YES);
        g_list_free(windows);
    });
    closer.Start(50);
    MessageStyle style;
    style.buttons = MsgButtons::YesNo;
    style.icon = MsgIcon::Question;
    ++guitest::g_realDialogsAllowed;
    const int rc = prompts.Message(127, "音声データの場所を指定しますか？", style);
    --guitest::g_realDialogsAllowed;
    closer.Stop();
    EXPECT_EQ(rc, kIdYes);
    EXPECT_GE(m_logic.ticks[1] - before, 5);
    EXPECT_LE(checks, 200);
}
