// CVoxletApp: the application object. Its InitInstance runs the main dialog
// modally and returns false, so the program ends when the dialog does.
#pragma once

#include <wx/app.h>

#include <memory>

namespace platform {
class HttpTransport;
}
namespace voxwx {
class QuitOnSignals;
class WxPrompts;
} // namespace voxwx

class CVoxletApp : public wxApp {
public:
    CVoxletApp();
    ~CVoxletApp() override;

    // wx start-up: no command-line options are taken (the toolkit's own are
    // consumed by GTK before this runs); the toolkit's texts are Japanese
    // and the focus is always marked.
    bool OnInit() override;
    // Runs InitInstance instead of a message loop of the application's own.
    int OnRun() override;
    int OnExit() override;

    // 1. The framework's base initialisation: the services of the dialog (the
    //    wx prompts, PC audio over SDL, the settings file, the libcurl HTTP
    //    transport, the real clock) are built (before the dialog exists, so
    //    messages shown while the player is constructed have them), and a
    //    current folder without voice data gives way to the data folder chosen
    //    last or the installed demo set.
    // 2. SetRegistryKey has no counterpart: nothing is stored anywhere but the
    //    settings file.
    // 3. Constructs CVoxletDlg, builds its window and runs it modally; the
    //    result is not looked at.
    // 4. Destroys the dialog and returns false.
    // SIGINT and SIGTERM close the dialog as its close button does (its
    // shut-down runs); QuitSignal() then tells which one came.
    bool InitInstance();

    // The signal that ended the last InitInstance, or 0.
    static int QuitSignal() { return s_quitSignal; }

private:
    std::unique_ptr<voxwx::WxPrompts> m_prompts;
    std::unique_ptr<platform::HttpTransport> m_http;
    std::unique_ptr<voxwx::QuitOnSignals> m_quit;
    static int s_quitSignal;
};
