// Helpers of the GUI tests: driving the real wx window in-process with
// wxUIActionSimulator (XTest under Xvfb), waiting with event processing, and a
// fixture that builds the main window in a prepared working folder.
#pragma once

#include <gtest/gtest.h>

#include <wx/listbox.h>
#include <wx/testing.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "ui/voxlet_dlg.h"
#include "ui/wx/wx_main_window.h"
#include "ui/wx/wx_prompts.h"
#include "ui/wx/wx_template_dialog.h"

namespace guitest {

// Processes events for ms milliseconds.
void Pump(int ms);
// Processes events until cond() holds; false when timeoutMs passed first.
bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 5000);

// Moves the pointer to a screen point, then clicks (real X events).
void ClickAt(const wxPoint& screen, int button = 1);
void Click(const wxWindow* window, int button = 1);
void DoubleClickAt(const wxPoint& screen);
// The screen point in the middle of list entry `index` (which must be visible).
wxPoint ListItemPoint(const wxListBox* list, int index);
// Presses and releases a key (wxKeyCode) at the window under the pointer.
void PressKey(int keyCode);

// Saves the screen area of a window as artifacts/NAME of the build folder (PNG, through
// ImageMagick's import in the test's X server).
void SaveScreenshot(const wxWindow& window, const std::string& name);

// While > 0, modal dialogs that no wxTEST_DIALOG expects are shown for real
// instead of failing the test.
extern int g_realDialogsAllowed;

// A modal dialog of type T that wxTEST_DIALOG expects: fn looks at it and
// gives the answer.
template <class T> class Inspect final : public wxExpectModalBase<T, Inspect<T>> {
public:
    explicit Inspect(std::function<int(T*)> fn) : m_fn(std::move(fn)) {}

protected:
    int OnInvoked(T* dialog) const override { return m_fn(dialog); }

private:
    std::function<int(T*)> m_fn;
};

// Calls fn when the timer fires, also from inside a nested event loop.
class Later final : public wxTimer {
public:
    explicit Later(std::function<void()> fn) : m_fn(std::move(fn)) {}
    void Notify() override { m_fn(); }

private:
    std::function<void()> m_fn;
};

} // namespace guitest

// A working folder with catalogues, clips and a settings file; the real main
// window on it with the real wx prompts; a recording audio back end.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the settings file (UTF-8 as given).
    void Settings(const std::string& text);
    std::string SettingsText() const;

    // Constructs CVoxletDlg and shows its window without a modal loop.
    void Start();
    // Ends the window as the close box does (when it has not ended), then
    // destroys it: OnDestroy runs.
    void Finish();

    voxwx::WxTemplateDialog& Window() { return *m_window; }
    CVoxletDlg& Dlg() { return *m_dlg; }
    wxWindow* Control(int id) { return m_window->Control(id); }
    wxListBox* List() { return static_cast<wxListBox*>(Control(ctl::kClipList)); }
    std::vector<std::string> ListItems();
    // Audio lines recorded since the last call.
    std::vector<std::string> TakeAudio();
    // Clicks a control and waits until the events it caused are handled.
    void ClickControl(int id);

    testsupport::TempDir m_dir;
    std::string m_oldCwd;
    std::vector<std::string> m_audio;
    voxwx::WxPrompts m_prompts;
    PcAudio m_pcAudio; // over a back end that writes m_audio
    Services m_services;
    std::unique_ptr<CVoxletDlg> m_dlg;
    voxwx::WxTemplateDialog* m_window = nullptr;
};
