// The screenshot artifacts: the main window as a user first sees it, and the
// about box and the settings dialog over it, saved in the build folder's
// artifacts/ (ImageMagick's import inside the test's X server).
// main-window.png is the one the project asks for.
#include <gtest/gtest.h>

#include <wx/timer.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "gui/gui_support.h"
#include "platform/dialog_host.h"
#include "platform/paths.h"
#include "resources/templates.h"

namespace {

// Saves the screen area of a window as ARTIFACTS/name.
void SaveScreenshot(const wxWindow& window, const std::string& name) {
    const wxRect r = window.GetScreenRect();
    const std::string path = guitest::ArtifactDir() + "/" + name;
    std::filesystem::remove(path);
    const std::string command = "import -window root -crop " + std::to_string(r.width) + "x" +
                                std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                                std::to_string(r.y) + " +repage '" + path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ASSERT_TRUE(std::filesystem::exists(path));
    const std::string bytes = testsupport::ReadFile(path);
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
}

// Photographs the innermost modal dialog once it is up, then cancels it.
class ShootModal final : public wxTimer {
public:
    explicit ShootModal(std::string name) : m_name(std::move(name)) {}
    void Notify() override {
        auto* dialog = voxwx::WxTemplateDialog::Innermost();
        if (!dialog || !dialog->IsShownOnScreen() || dialog->Template().id == 102)
            return; // not up yet: the timer fires again
        Stop();
        guitest::Pump(300);
        SaveScreenshot(*dialog, m_name);
        shotTemplate = dialog->Template().id;
        dialog->EndDialog(platform::kIdCancel);
    }
    int shotTemplate = 0;

private:
    std::string m_name;
};

class ScreenshotTest : public MainWindowTest {
protected:
    void ShootModalOpenedBy(const std::function<void()>& open, const std::string& name,
                            int templateId) {
        ShootModal shoot(name);
        shoot.Start(100);
        ++guitest::g_realDialogsAllowed;
        open();
        ASSERT_TRUE(guitest::WaitFor([&shoot] { return shoot.shotTemplate != 0; }, 10000));
        --guitest::g_realDialogsAllowed;
        EXPECT_EQ(shoot.shotTemplate, templateId);
    }
};

} // namespace

TEST_F(ScreenshotTest, MainWindow) {
    Start();
    guitest::ClickAt(guitest::ListItemPoint(List(), 1));
    guitest::Pump(300);
    SaveScreenshot(Window(), "main-window.png");
}

TEST_F(ScreenshotTest, AboutBox) {
    Start();
    ShootModalOpenedBy([this] { Window().SystemCommand(IDM_ABOUTBOX); }, "about-box.png", 100);
}

TEST_F(ScreenshotTest, SettingsDialog) {
    Start();
    ShootModalOpenedBy([this] { ClickControl(ctl::kSettings); }, "settings.png", 130);
}
