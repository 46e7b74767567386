// The floor of the start-up benchmark: the main window's controls built from
// the same dialog template by the same window class, its icons and its list
// filled with the demo set's first rows, and nothing of the player (no
// settings, catalogue, audio or HTTP).
#include <wx/app.h>

#include "core/main_dialog.h"
#include "resources/templates.h"
#include "ui/wx/wx_main_window.h"

struct BareLogic final : platform::ModalDialogLogic {
    const platform::DialogTemplate& Template() const override { return MainDialogTemplate(); }
    void OnInitDialog(platform::DialogHost& dlg) override {
        dlg.CheckItem(ctl::kModeNinshiki, true);
        dlg.CheckItem(ctl::kFirstCategory, true);
        for (const char* row : {"おはよう", "こんにちは"})
            dlg.ListAdd(ctl::kClipList, row);
    }
};

struct BareApp final : wxApp {
    int OnRun() override {
        BareLogic logic;
        voxwx::WxTemplateDialog window(nullptr, logic, voxwx::kMainWindowStyle);
        voxwx::DecorateMainWindow(window);
        SetTopWindow(&window);
        window.RunModal();
        SetTopWindow(nullptr);
        return 0;
    }
};

wxIMPLEMENT_APP(BareApp);
