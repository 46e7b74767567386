#include "ui/wx/wx_desktop.h"

#include <clocale>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

#include <langinfo.h>

#include <gtk/gtk.h>

namespace voxwx {

bool SetUpLocale() {
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    const std::string_view codeset = nl_langinfo(CODESET);
    if (codeset != "UTF-8")
        std::setlocale(LC_CTYPE, "C.UTF-8");
    // Set first: the catalogue lookup reads it at each translation, and a
    // locale change drops what it had already looked up.
    setenv("LANGUAGE", "ja", 1);
    for (const char* name : {"ja_JP.UTF-8", "ja_JP.utf8", "C.UTF-8"})
        if (std::setlocale(LC_MESSAGES, name))
            return true;
    return false;
}

namespace {
constexpr const char* kKeptVisible = "voxlet-focus-visible";

// GTK clears a window's focus-visible state on a pointer click (and a theme's
// settings may start it cleared): it is set again at once.
void OnFocusVisibleChanged(GtkWindow* window, GParamSpec*, gpointer) {
    if (!gtk_window_get_focus_visible(window))
        gtk_window_set_focus_visible(window, TRUE);
}

// Every window as it is mapped: ours, message boxes and file choosers.
gboolean OnWidgetMapped(GSignalInvocationHint*, guint, const GValue* params, gpointer) {
    GObject* object = G_OBJECT(g_value_get_object(&params[0]));
    if (GTK_IS_WINDOW(object) && !g_object_get_data(object, kKeptVisible)) {
        g_object_set_data(object, kKeptVisible, GINT_TO_POINTER(1));
        gtk_window_set_focus_visible(GTK_WINDOW(object), TRUE);
        g_signal_connect(object, "notify::focus-visible", G_CALLBACK(OnFocusVisibleChanged),
                         nullptr);
    }
    return TRUE; // stays installed
}

// GTK names a message box after its icon (エラー, 情報, 質問) for assistive
// technology; it is read out under its title, the program's name, instead.
gboolean OnMessageBoxMapped(GSignalInvocationHint*, guint, const GValue* params, gpointer) {
    GObject* object = G_OBJECT(g_value_get_object(&params[0]));
    if (GTK_IS_MESSAGE_DIALOG(object))
        if (const gchar* title = gtk_window_get_title(GTK_WINDOW(object)))
            atk_object_set_name(gtk_widget_get_accessible(GTK_WIDGET(object)), title);
    return TRUE;
}

void OnEveryMap(GSignalEmissionHook hook) {
    g_type_class_unref(g_type_class_ref(GTK_TYPE_WINDOW)); // the signal exists from here on
    g_signal_add_emission_hook(g_signal_lookup("map", GTK_TYPE_WIDGET), 0, hook, nullptr, nullptr);
}
} // namespace

void KeepFocusVisible() {
    static bool installed = false;
    if (!installed)
        OnEveryMap(OnWidgetMapped);
    installed = true;
}

void NameMessageBoxesByTitle() {
    static bool installed = false;
    if (!installed)
        OnEveryMap(OnMessageBoxMapped);
    installed = true;
}

} // namespace voxwx
