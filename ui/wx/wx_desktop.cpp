#include "ui/wx/wx_desktop.h"

#include <wx/window.h>

#include <clocale>
#include <cstdlib>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

namespace voxwx {

bool UseJapaneseToolkitTexts() {
    // Set first: the catalogue lookup reads it at each translation, and a
    // locale change drops what it had already looked up.
    setenv("LANGUAGE", "ja", 1);
    for (const char* name : {"ja_JP.UTF-8", "ja_JP.utf8", "C.UTF-8"})
        if (std::setlocale(LC_MESSAGES, name))
            return true;
    return false;
}

#ifdef __WXGTK__
namespace {
// GTK clears the window's focus-visible state on a pointer click (and a
// theme's settings may start it cleared): it is set again at once.
void OnFocusVisibleChanged(GtkWindow* window, GParamSpec*, gpointer) {
    if (!gtk_window_get_focus_visible(window))
        gtk_window_set_focus_visible(window, TRUE);
}
} // namespace

void KeepFocusVisible(wxWindow& window) {
    GtkWidget* widget = window.GetHandle();
    if (!widget || !GTK_IS_WINDOW(widget))
        return;
    gtk_window_set_focus_visible(GTK_WINDOW(widget), TRUE);
    g_signal_connect(widget, "notify::focus-visible", G_CALLBACK(OnFocusVisibleChanged), nullptr);
}
#else
void KeepFocusVisible(wxWindow&) {}
#endif

} // namespace voxwx
