#include "ui/about_dlg.h"

#include "resources/templates.h"

const platform::DialogTemplate& CAboutDlg::Template() const {
    return AboutDialogTemplate();
}
