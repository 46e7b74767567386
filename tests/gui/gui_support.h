// Helpers of the GUI tests: driving the real wx window in-process with
// wxUIActionSimulator (XTest under Xvfb), waiting with event processing.
#pragma once

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/testing.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/utils.h>
#include <wx/window.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "support/test_support.h"

namespace guitest {

// While > 0, modal dialogs that no wxTEST_DIALOG expects are shown for real
// instead of failing the test.
inline int g_realDialogsAllowed = 0;

// Processes events until cond() holds; false when timeoutMs passed first.
inline bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 5000) {
    wxStopWatch watch;
    while (!cond()) {
        if (watch.Time() > timeoutMs)
            return false;
        wxTheApp->Yield(true);
        wxMilliSleep(5);
    }
    return true;
}

// Processes events for ms milliseconds.
inline void Pump(int ms) {
    WaitFor([] { return false; }, ms);
}

// Moves the pointer to a screen point, then clicks (real X events): button 3
// is the right one, 2 a double click.
inline void ClickAt(const wxPoint& screen, int button = 1) {
    wxUIActionSimulator sim;
    sim.MouseMove(screen);
    Pump(60);
    if (button == 2)
        sim.MouseDblClick();
    else
        sim.MouseClick(button == 3 ? wxMOUSE_BTN_RIGHT : wxMOUSE_BTN_LEFT);
    Pump(60);
}

inline void Click(const wxWindow* window) {
    const wxRect r = window->GetScreenRect();
    ClickAt(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
}

// Saves the screen area of a window as artifacts/NAME of the build folder (PNG,
// through ImageMagick's import in the test's X server).
inline void SaveScreenshot(const wxWindow& window, const std::string& name) {
    std::filesystem::create_directories(VOXLET_ARTIFACT_DIR);
    const std::string path = std::string(VOXLET_ARTIFACT_DIR) + "/" + name;
    std::filesystem::remove(path);
    const wxRect r = window.GetScreenRect();
    const std::string command = "import -window root -crop " + std::to_string(r.width) + "x" +
                                std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                                std::to_string(r.y) + " +repage '" + path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(testsupport::ReadFile(path).substr(1, 3), "PNG");
}

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
