#include "ui/wx/wx_quit.h"

#include <wx/app.h>

#include <gtk/gtk.h>

#include <csignal>

#include "ui/wx/wx_template_dialog.h"

namespace voxwx {

namespace {

QuitOnSignals* g_quit = nullptr;

constexpr int kQuitSignals[] = {SIGINT, SIGTERM};

// Time between two closes: a closed window's modal loop must return before
// the next window out can end.
constexpr int kCloseTurnMs = 50;

} // namespace

void CloseInnermostModal() {
    // Native dialogs (message boxes, file choosers) only ever sit on top of a
    // template dialog, never below one.
    bool answered = false;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        if (GTK_IS_DIALOG(w->data) && gtk_widget_get_visible(GTK_WIDGET(w->data)) &&
            gtk_window_get_modal(GTK_WINDOW(w->data))) {
            gtk_dialog_response(GTK_DIALOG(w->data), GTK_RESPONSE_DELETE_EVENT);
            answered = true;
        }
    }
    g_list_free(windows);
    if (answered)
        return;
    if (WxTemplateDialog* dialog = WxTemplateDialog::Innermost())
        dialog->Close(true);
}

QuitOnSignals::~QuitOnSignals() {
    if (g_quit != this)
        return;
    g_quit = nullptr;
    // Nothing closes the windows any more: the signals end the process again.
    for (int signal : kQuitSignals)
        std::signal(signal, SIG_DFL);
}

void QuitOnSignals::Install() {
    g_quit = this;
    for (int signal : kQuitSignals)
        wxTheApp->SetSignalHandler(signal, &QuitOnSignals::OnSignal);
}

void QuitOnSignals::OnSignal(int signal) {
    if (!g_quit)
        return;
    if (g_quit->m_signal == 0)
        g_quit->m_signal = signal;
    g_quit->Notify();
    g_quit->Start(kCloseTurnMs);
}

void QuitOnSignals::Notify() {
    CloseInnermostModal();
}

} // namespace voxwx
