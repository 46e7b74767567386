// The GUI tests' main: wx is started in-process with the program's own
// application class (its OnInit does nothing), wx assertions become test
// failures, and a modal dialog that no test expects fails the test instead of
// waiting for a user.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/init.h>
#include <wx/modalhook.h>

#include "gui/gui_support.h"
#include "ui/wx/voxlet_app.h"

namespace {

struct UnexpectedDialogHook final : wxModalDialogHook {
    int Enter(wxDialog* dialog) override {
        if (guitest::g_realDialogsAllowed > 0)
            return wxID_NONE;
        ADD_FAILURE() << "unexpected modal dialog \"" << dialog->GetTitle().utf8_str() << "\"";
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    wxApp::SetInstance(new CVoxletApp);
    if (!wxEntryStart(argc, argv))
        return 1; // no X server: run under tests/gui/run_with_xvfb.sh
    wxTheApp->CallOnInit();
    wxSetAssertHandler([](const wxString& file, int line, const wxString& func,
                          const wxString& cond, const wxString& msg) {
        ADD_FAILURE_AT(file.utf8_str(), line) << "wx assertion in " << func.utf8_str() << ": "
                                              << cond.utf8_str() << " " << msg.utf8_str();
    });
    UnexpectedDialogHook hook;
    hook.Register();
    const int rc = RUN_ALL_TESTS();
    hook.Unregister();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return rc;
}
