// Beside the find row: the main window's list filled in one batch with the
// 95,000 rows a find shows; the milliseconds it took on standard output. Its
// time is reported, not gated.
#include <wx/app.h>

#include "bench_row.h"
#include "core/main_dialog.h"
#include "resources/templates.h"
#include "ui/wx/wx_main_window.h"

struct FillLogic final : platform::ModalDialogLogic {
    const platform::DialogTemplate& Template() const override { return MainDialogTemplate(); }
    void OnInitDialog(platform::DialogHost& dlg) override {
        const std::vector<std::string_view> texts(95'000, "あいさつ");
        const auto start = std::chrono::steady_clock::now();
        dlg.ListAddAll(ctl::kClipList, texts);
        std::printf("%.3g\n", bench::MsSince(start));
        dlg.EndDialog(platform::kIdOk);
    }
};

struct FillApp final : wxApp {
    int OnRun() override {
        FillLogic logic;
        voxwx::WxTemplateDialog(nullptr, logic, voxwx::kMainWindowStyle).RunModal();
        return 0;
    }
};

wxIMPLEMENT_APP(FillApp);
