// The main dialog's window: template 102 built as a WxTemplateDialog with
// CVoxletDlg as its logic, the program icon as big and small window icon and
// a minimise box. The window's timer, trackbar, system-menu and destruction
// messages go to CVoxletDlg.
//
// Painting the icon while minimised (OnPaint/OnQueryDragIcon on Windows) is
// the window manager's job under GTK: it shows the window icon set here.
#pragma once

#include "ui/voxlet_dlg.h"
#include "ui/wx/wx_template_dialog.h"

namespace voxwx {

class MainWindowEvents final : public WindowEvents {
public:
    explicit MainWindowEvents(CVoxletDlg& dlg) : m_dlg(dlg) {}
    void OnTimer(platform::DialogHost& host, int timerId) override;
    void OnVScroll(platform::DialogHost& host) override;
    void OnSysCommand(platform::DialogHost& host, int command) override;
    void OnDestroy(platform::DialogHost& host) override;

private:
    CVoxletDlg& m_dlg;
};

// Style bits of the main window beyond a dialog's caption, system menu and
// close box.
inline constexpr long kMainWindowStyle = wxMINIMIZE_BOX;

// Gives a freshly built main window its icons.
void DecorateMainWindow(WxTemplateDialog& window);

} // namespace voxwx
