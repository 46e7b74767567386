// Ending the program on SIGINT or SIGTERM the way its close button ends it.
// The signal itself only wakes the event loop (wxApp::SetSignalHandler: a
// flag and a self-pipe); everything else runs on the user-interface thread,
// inside whichever modal loop is running. From there the open windows are
// closed innermost first, one a turn, until the main dialog has ended through
// its own close request, so its shut-down (settings saved) runs as usual.
#pragma once

#include <wx/timer.h>

namespace voxwx {

// Closes the innermost modal window as its user could: a message box or a
// file chooser is answered as by its close box (cancel, or "no" for a
// question), a template dialog gets the close request and then ends (kIdCancel
// unless it ended otherwise). Nothing when no modal window is open.
void CloseInnermostModal();

// From the first signal on, closes the innermost modal window every turn
// (windows that open meanwhile, such as a message shown while the settings
// are saved, included) until its owner stops it.
class QuitOnSignals final : public wxTimer {
public:
    // Gives SIGINT and SIGTERM their default action back.
    ~QuitOnSignals() override;
    // Routes SIGINT and SIGTERM to this object (one per program).
    void Install();
    // The signal that asked the program to end, or 0.
    int Received() const { return m_signal; }

private:
    static void OnSignal(int signal);
    void Notify() override;

    int m_signal = 0;
};

} // namespace voxwx
