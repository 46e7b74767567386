#include "ui/wx/wx_main_window.h"

#include "ui/wx/wx_icons.h"

namespace voxwx {

void MainWindowEvents::OnTimer(platform::DialogHost& host, int timerId) {
    m_dlg.OnTimer(host, timerId);
}

void MainWindowEvents::OnVScroll(platform::DialogHost& host) {
    m_dlg.OnVScroll(host);
}

void MainWindowEvents::OnSysCommand(platform::DialogHost& host, int command) {
    m_dlg.OnSysCommand(host, command);
}

void MainWindowEvents::OnDestroy(platform::DialogHost& host) {
    m_dlg.OnDestroy(host);
}

void DecorateMainWindow(WxTemplateDialog& window) {
    window.SetIcons(ProgramIcons());
}

} // namespace voxwx
