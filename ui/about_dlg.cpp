#include "ui/about_dlg.h"

#include "ui/templates.h"

const platform::DialogTemplate& CAboutDlg::Template() const {
    return AboutDialogTemplate();
}
