// The real settings window over the main window (its screenshot saved): the
// user switches the route to FlashAir and the interval to ten seconds, presses
// OK, and the settings file and the main window follow.
#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/timer.h>

#include "gui/gui_support.h"
#include "platform/dialog_host.h"
#include "resources/templates.h"

namespace {

// Acts on the settings dialog once it is on screen, inside its modal loop.
class SettingsUser final : public wxTimer {
public:
    void Notify() override {
        auto* dlg = voxwx::WxTemplateDialog::Innermost();
        if (!dlg || dlg->Template().id != IDD_DEFINE_DIALOG || !dlg->IsShownOnScreen() || m_done)
            return;
        m_done = true;
        Stop();
        seen = true;
        guitest::Pump(300);
        guitest::SaveScreenshot(*dlg, "settings.png");
        remoteEnabledBefore = dlg->Control(3)->IsThisEnabled();
        Choose(*dlg, 1030, 2);
        remoteEnabledAfter = dlg->Control(3)->IsThisEnabled();
        recognitionEnabledAfter = dlg->Control(1040)->IsThisEnabled();
        auto* interval = static_cast<wxChoice*>(dlg->Control(1025));
        Choose(*dlg, 1025, interval->FindString(wxString::FromUTF8("10秒")));
        guitest::Click(dlg->Control(platform::kIdOk));
    }
    bool seen = false;
    bool remoteEnabledBefore = true;
    bool remoteEnabledAfter = true;
    bool recognitionEnabledAfter = false;

private:
    // Selects an item as the user's choice would: the selection, then the
    // toolkit's change notification.
    static void Choose(voxwx::WxTemplateDialog& dlg, int id, int index) {
        auto* choice = static_cast<wxChoice*>(dlg.Control(id));
        ASSERT_NE(index, wxNOT_FOUND);
        choice->SetSelection(index);
        wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
        event.SetEventObject(choice);
        event.SetInt(index);
        choice->GetEventHandler()->ProcessEvent(event);
    }
    bool m_done = false;
};

} // namespace

TEST_F(MainWindowTest, SettingsOkStoresRouteAndIntervalAndUpdatesTheMainWindow) {
    Settings("[PLAY]\nDEFAULT_INTERVAL=5\n");
    Start();
    SettingsUser user;
    user.Start(100);
    ++guitest::g_realDialogsAllowed;
    ClickControl(ctl::kSettings);
    ASSERT_TRUE(guitest::WaitFor([&user] { return user.seen; }, 10000));
    ASSERT_TRUE(guitest::WaitFor([] {
        auto* top = voxwx::WxTemplateDialog::Innermost();
        return top && top->Template().id == IDD_VOXLET_DIALOG;
    }));
    --guitest::g_realDialogsAllowed;
    guitest::Pump(100);

    EXPECT_FALSE(user.remoteEnabledBefore);
    EXPECT_FALSE(user.remoteEnabledAfter); // "リモートファイル" is for the drive route only
    EXPECT_TRUE(user.recognitionEnabledAfter);

    const std::string ini = SettingsText();
    EXPECT_NE(ini.find("CONNECT_TYPE=2\r\n"), std::string::npos) << ini;
    // A replaced key keeps the line end it had (LF here).
    EXPECT_NE(ini.find("DEFAULT_INTERVAL=10\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("NINSHIKI_VOICE=0\r\n"), std::string::npos) << ini;
    // Model 1 on a robot route: the program radio comes with a mode change.
    EXPECT_FALSE(Control(1021)->IsThisEnabled());
    ClickControl(ctl::kModeVoice);
    ClickControl(ctl::kModeNinshiki);
    EXPECT_TRUE(Control(1021)->IsThisEnabled());
    Finish();
}
