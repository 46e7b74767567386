#include "ui/wx/wx_main_window.h"

#include "ui/wx/wx_icons.h"

namespace voxwx {

void DecorateMainWindow(WxTemplateDialog& window) {
    window.SetIcons(ProgramIcons());
}

} // namespace voxwx
