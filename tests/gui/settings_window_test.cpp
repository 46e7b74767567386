// The real settings window over the main window (its screenshot saved): the
// user switches the route to FlashAir and the interval to ten seconds, presses
// OK, and the settings file and the main window follow.
#include <gtest/gtest.h>

#include <wx/choice.h>

#include "gui/gui_support.h"
#include "platform/dialog_host.h"
#include "resources/templates.h"

namespace {

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

TEST_F(MainWindowTest, SettingsOkStoresRouteAndIntervalAndUpdatesTheMainWindow) {
    Settings("[PLAY]\nDEFAULT_INTERVAL=5\n");
    Start();
    bool seen = false, remoteBefore = true, remoteAfter = true, recognitionAfter = false;
    // Acts on the settings dialog once it is on screen, inside its modal loop.
    guitest::Later user([&] {
        auto* dlg = voxwx::WxTemplateDialog::Innermost();
        if (seen || !dlg || dlg->Template().id != IDD_DEFINE_DIALOG || !dlg->IsShownOnScreen())
            return;
        seen = true;
        guitest::Pump(300);
        guitest::SaveScreenshot(*dlg, "settings.png");
        remoteBefore = dlg->Control(3)->IsThisEnabled();
        Choose(*dlg, 1030, 2);
        remoteAfter = dlg->Control(3)->IsThisEnabled();
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

    EXPECT_FALSE(remoteBefore);
    EXPECT_FALSE(remoteAfter); // "リモートファイル" is for the drive route only
    EXPECT_TRUE(recognitionAfter);

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
