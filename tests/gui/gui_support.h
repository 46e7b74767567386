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

#include <functional>
#include <string>

#include <gtk/gtk.h>

#include "support/test_support.h"

namespace guitest {

// While > 0, modal dialogs that no wxTEST_DIALOG expects are shown for real
// instead of failing the test.
inline int g_realDialogsAllowed = 0;

// Processes events until cond() holds; false when timeoutMs passed first.
inline bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 5000) {
    for (wxStopWatch watch; !cond(); wxMilliSleep(5)) {
        if (watch.Time() > timeoutMs)
            return false;
        wxTheApp->Yield(true);
    }
    return true;
}
inline void Pump(int ms) {
    WaitFor([] { return false; }, ms);
}

// Clicks on the window with real X events, at a point of its client area (by
// default its middle): button 3 is the right one, 2 a double click.
inline void Click(const wxWindow* window, int button = 1, wxPoint at = wxDefaultPosition) {
    const wxRect r = window->GetScreenRect();
    wxUIActionSimulator sim;
    sim.MouseMove(at == wxDefaultPosition ? wxPoint(r.x + r.width / 2, r.y + r.height / 2)
                                          : window->ClientToScreen(at));
    Pump(60);
    button == 2 ? sim.MouseDblClick()
                : sim.MouseClick(button == 3 ? wxMOUSE_BTN_RIGHT : wxMOUSE_BTN_LEFT);
    Pump(60);
}

// Runs action, which shows one message box for real, and answers the box with
// response; "title|name|text": its window title, its name for assistive
// technology and its text.
inline std::string AnswerRealMessageBox(const std::function<void()>& action, int response) {
    std::string shown;
    wxTimer answer;
    answer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        g_autoptr(GList) windows = gtk_window_list_toplevels();
        for (GList* w = windows; w; w = w->next) {
            if (GTK_IS_MESSAGE_DIALOG(w->data) && gtk_widget_get_mapped(GTK_WIDGET(w->data))) {
                g_autofree gchar* text = nullptr;
                g_object_get(w->data, "text", &text, nullptr);
                shown = std::string(gtk_window_get_title(GTK_WINDOW(w->data))) + "|" +
                        atk_object_get_name(gtk_widget_get_accessible(GTK_WIDGET(w->data))) + "|" +
                        text;
                gtk_dialog_response(GTK_DIALOG(w->data), response);
            }
        }
    });
    answer.Start(50);
    ++g_realDialogsAllowed;
    action();
    --g_realDialogsAllowed;
    return shown;
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

} // namespace guitest
