// The main dialog's window: template 102 built as a WxTemplateDialog with
// CVoxletDlg as its logic, the program icon as big and small window icon and
// a minimise box.
//
// Painting the icon while minimised (OnPaint/OnQueryDragIcon on Windows) is
// the window manager's job under GTK: it shows the window icon set here.
#pragma once

#include "ui/wx/wx_template_dialog.h"

namespace voxwx {

// Style bits of the main window beyond a dialog's caption, system menu and
// close box.
inline constexpr long kMainWindowStyle = wxMINIMIZE_BOX;

// Gives a freshly built main window its icons.
void DecorateMainWindow(WxTemplateDialog& window);

} // namespace voxwx
