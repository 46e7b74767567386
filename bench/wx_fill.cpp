// Beside the find row: the main window's list filled in one batch with the
// rows a find shows (95,000), the median of 5 fills in milliseconds printed
// on standard output. Its time is reported, not gated.
#include <wx/app.h>

#include <chrono>
#include <cstdio>

#include "bench_row.h"
#include "core/main_dialog.h"
#include "resources/templates.h"
#include "ui/wx/wx_main_window.h"

struct FillLogic final : platform::ModalDialogLogic {
    const platform::DialogTemplate& Template() const override { return MainDialogTemplate(); }
    void OnInitDialog(platform::DialogHost& dlg) override {
        std::vector<std::string> rows;
        for (int i = 0; i < 95'000; ++i)
            rows.push_back("あいさつ" + std::to_string(i));
        const std::vector<std::string_view> texts(rows.begin(), rows.end());
        bench::Series fills;
        for (int round = 0; round < 5; ++round) {
            const auto start = std::chrono::steady_clock::now();
            dlg.ListReset(ctl::kClipList);
            dlg.ListAddAll(ctl::kClipList, texts);
            fills.push_back(bench::MsSince(start));
        }
        std::printf("%.3g\n", bench::Median(fills));
        dlg.EndDialog(platform::kIdOk);
    }
};

struct FillApp final : wxApp {
    int OnRun() override {
        FillLogic logic;
        voxwx::WxTemplateDialog window(nullptr, logic, voxwx::kMainWindowStyle);
        window.RunModal();
        return 0;
    }
};

wxIMPLEMENT_APP(FillApp);
