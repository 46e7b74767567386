// The wx dialog host: every template of the program becomes a window with the
// table's controls and states, and a small template shows the routing of
// clicks, choices, keys, timers and close requests to the dialog logic.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <wx/choice.h>
#include <wx/slider.h>

#include <gtk/gtk.h>

#include <cstdlib>
#include <filesystem>

#include "gui/gui_support.h"
#include "resources/templates.h"
#include "ui/about_dlg.h"
#include "ui/wx/wx_prompts.h"
#include "ui/wx/wx_template_dialog.h"

using ::testing::ElementsAre;
using ::testing::Pair;
using namespace platform;

namespace {

constexpr std::string_view kItems[] = {"x", "y"};
constexpr ControlTemplate kControls[] = {
    {10, ControlKind::Radio, 5, 5, 60, 10, kStartsGroup, "Alpha"},
    {11, ControlKind::Radio, 5, 17, 60, 10, kNone, "Beta"},
    {12, ControlKind::Check, 5, 30, 60, 10, kStartsGroup | kTabStop, "Check"},
    {20, ControlKind::List, 70, 5, 60, 40, kStartsGroup | kTabStop | kNotify, ""},
    {1, ControlKind::DefButton, 140, 70, 40, 14, kTabStop, "OK"},
    {2, ControlKind::Button, 140, 88, 40, 14, kTabStop, "Cancel"},
    {30, ControlKind::Button, 90, 88, 40, 14, kTabStop | kDisabled, "Off"},
    {40, ControlKind::Combo, 70, 50, 60, 40, kTabStop, "", kItems},
    {50, ControlKind::Trackbar, 170, 5, 15, 60, kVertical, ""},
    {-1, ControlKind::Static, 135, 30, 30, 8, kNone, "Level"},
    {60, ControlKind::Edit, 5, 70, 60, 12, kTabStop | kBorder | kWantsKeys, ""},
};
const DialogTemplate kTemplate{900, "Test dialog", 190, 110, "MS UI Gothic", 9, kControls};

char* volatile g_lost = nullptr; // 48 bytes that nothing frees or points to: a leak

class RecordingLogic : public ModalDialogLogic {
public:
    const DialogTemplate& Template() const override { return *tpl; }
    void OnInitDialog(DialogHost&) override {}
    void OnCommand(DialogHost& host, int id, int notification) override {
        commands.emplace_back(id, notification);
        if (leaks)
            g_lost = new char[48];
        g_lost = nullptr;
        ModalDialogLogic::OnCommand(host, id, notification);
    }
    void OnTimer(DialogHost&, int) override { ++ticks; }
    void OnVScroll(DialogHost&) override { commands.emplace_back(50, 0); }
    const DialogTemplate* tpl = &kTemplate;
    std::vector<std::pair<int, int>> commands;
    int ticks = 0;
    bool leaks = false;
};

class TemplateDialogTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (m_dialog) {
            m_dialog->FinishDialog();
            m_dialog->Destroy();
            m_dialog = nullptr;
            guitest::Pump(30);
        }
    }
    voxwx::WxTemplateDialog& Make() {
        m_dialog = new voxwx::WxTemplateDialog(nullptr, m_logic);
        m_dialog->Move(0, 0);
        m_dialog->ShowModeless();
        EXPECT_TRUE(guitest::WaitFor([this] { return m_dialog->IsShownOnScreen(); }));
        guitest::Pump(100);
        return *m_dialog;
    }

    RecordingLogic m_logic;
    voxwx::WxTemplateDialog* m_dialog = nullptr;
};

} // namespace

// Each window's caption, and each control's label, state, combo items,
// trackbar range and default button as its table gives them; a screenshot of
// each in artifacts/ (ImageMagick's import in the test's X server).
TEST_F(TemplateDialogTest, BuildsEveryTemplateWithItsControlsAndStates) {
    const std::pair<const DialogTemplate*, const char*> windows[] = {
        {&MainDialogTemplate(), "main-window.png"},
        {&AboutDialogTemplate(), "about.png"},
        {&DefineDialogTemplate(), "settings.png"},
        {&PlayListDialogTemplate(), "play-list-editor.png"}};
    for (auto [t, screenshot] : windows) {
        m_logic.tpl = t;
        auto& d = Make();
        EXPECT_EQ(d.GetTitle().utf8_string(), t->caption);
        for (const ControlTemplate& c : t->controls) {
            if (c.id <= 0)
                continue;
            SCOPED_TRACE(testing::Message() << t->id << "/" << c.id);
            wxWindow* w = d.Control(c.id);
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(w->IsThisEnabled(), !(c.flags & kDisabled));
            EXPECT_EQ(w->IsShown(), !(c.flags & kHidden));
            if (c.kind == ControlKind::Combo) {
                EXPECT_EQ(static_cast<wxChoice*>(w)->GetCount(), c.items.size());
                // The text part of the closed box holds a whole line of its font.
                EXPECT_GE(
                    gtk_widget_get_allocated_height(gtk_bin_get_child(GTK_BIN(w->GetHandle()))),
                    w->GetTextExtent(wxString::FromUTF8("Agあ")).y);
            } else if (c.kind == ControlKind::Trackbar) {
                EXPECT_EQ(static_cast<wxSlider*>(w)->GetMax(), 100);
            } else if (c.kind != ControlKind::List && c.kind != ControlKind::Edit &&
                       c.kind != ControlKind::Icon) {
                EXPECT_EQ(w->GetLabel().utf8_string(), c.label);
            }
            EXPECT_EQ(d.GetDefaultItem() == w, c.kind == ControlKind::DefButton);
        }
        const wxRect r = d.GetScreenRect();
        const wxString shot =
            wxString::Format("import -window root -crop %dx%d+%d+%d +repage '%s/%s'", r.width,
                             r.height, r.x, r.y, VOXLET_ARTIFACT_DIR, screenshot);
        std::filesystem::create_directories(VOXLET_ARTIFACT_DIR);
        EXPECT_EQ(std::system(shot.utf8_str()), 0) << shot;
        TearDown();
    }
}

TEST_F(TemplateDialogTest, UserInputReachesTheLogic) {
    auto& d = Make();
    d.ListAdd(20, "first");
    d.ListAdd(20, "second");
    for (int id : {11, 11, 12, 30}) // 11 again when checked: still a click; 30 is disabled
        guitest::Click(d.Control(id));
    EXPECT_TRUE(d.IsItemChecked(11));
    EXPECT_TRUE(d.IsItemChecked(12));
    // The toolkit's notifications of a choice and of a slider the user moves.
    for (auto [id, type] : {std::pair{40, wxEVT_CHOICE}, std::pair{50, wxEVT_SLIDER}}) {
        wxCommandEvent event(type, d.Control(id)->GetId());
        event.SetEventObject(d.Control(id));
        d.Control(id)->GetEventHandler()->ProcessEvent(event);
    }
    // Screen readers name the trackbar by the static text left of it.
    EXPECT_STREQ(atk_object_get_name(gtk_widget_get_accessible(d.Control(50)->GetHandle())),
                 "Level");
    // Typed text reaches the logic as the field's text, a change a key; a
    // field that wants Enter and Esc gets them instead of the dialog.
    d.Control(60)->SetFocus();
    wxUIActionSimulator().Text("a,b:80");
    ASSERT_TRUE(guitest::WaitFor([&d] { return d.GetItemText(60) == "a,b:80"; }));
    wxUIActionSimulator().Char(WXK_ESCAPE);
    wxUIActionSimulator().Char(WXK_RETURN);
    d.SetItemText(60, "set");
    d.SetItemText(12, "Relabelled");
    EXPECT_EQ(d.Control(12)->GetLabel(), "Relabelled");
    // A double click on "first": its first click selects the row.
    guitest::Click(d.Control(20), 2, {10, 8});
    ASSERT_TRUE(guitest::WaitFor([this] { return m_logic.commands.size() >= 15; }));
    // The close box does nothing while Cancel is disabled (Esc with Cancel
    // enabled: the end-to-end test).
    d.EnableItem(kIdCancel, false);
    d.Close();
    guitest::Pump(50);
    EXPECT_FALSE(d.HasEnded());
    wxUIActionSimulator().Char(WXK_RETURN);
    ASSERT_TRUE(guitest::WaitFor([&d] { return d.HasEnded(); }));
    EXPECT_THAT(m_logic.commands,
                ElementsAre(Pair(11, kNotifyClicked), Pair(11, kNotifyClicked),
                            Pair(12, kNotifyClicked), Pair(40, kNotifySelChange), Pair(50, 0),
                            Pair(60, kNotifyEditChange), Pair(60, kNotifyEditChange),
                            Pair(60, kNotifyEditChange), Pair(60, kNotifyEditChange),
                            Pair(60, kNotifyEditChange), Pair(60, kNotifyEditChange),
                            Pair(60, kNotifyEscapeKey), Pair(60, kNotifyEnterKey),
                            Pair(20, kNotifySelChange), Pair(20, kNotifyDoubleClick),
                            Pair(kIdOk, kNotifyClicked)));
}

// The leak checker still sees the program's own leaks under the GUI tests'
// suppressions: a leak made in the dialog logic's click handler is reported
// with its stack when the process ends, and fails it (a child process: this
// test run again alone).
TEST_F(TemplateDialogTest, ALeakInAClickHandlerIsReported) {
#ifndef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "needs the AddressSanitizer build's leak checker";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            m_logic.leaks = true;
            guitest::Click(Make().Control(12));
            std::exit(0);
        },
        [](int status) { return status != 0; },
        " in OnCommand .*SUMMARY: AddressSanitizer: 48 byte\\(s\\) leaked in 1 allocation");
}

TEST_F(TemplateDialogTest, TimerTicksArriveWhileAModalDialogRuns) {
    Make().SetTimer(1, 20);
    CAboutDlg about;
    const int before = m_logic.ticks;
    // Ends the about box from inside its loop once the window's timer has
    // ticked five times meanwhile (looked at every 50 ms, 10 s at most).
    int checks = 0;
    wxTimer closer;
    closer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        auto* inner = voxwx::WxTemplateDialog::Innermost();
        if (inner && inner->Template().id == IDD_ABOUTBOX &&
            (m_logic.ticks - before >= 5 || ++checks > 200))
            inner->EndDialog(kIdOk);
    });
    closer.Start(50);
    ++guitest::g_realDialogsAllowed;
    EXPECT_EQ(voxwx::WxPrompts().RunModal(about), kIdOk);
    --guitest::g_realDialogsAllowed;
    EXPECT_GE(m_logic.ticks - before, 5);
}
