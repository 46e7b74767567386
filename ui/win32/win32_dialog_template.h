// A dialog template table (platform/dialog_template.h) as the in-memory
// DLGTEMPLATEEX that CreateDialogIndirectParamW and DialogBoxIndirectParamW
// take: the same controls, ids, rectangles in dialog units, initial states and
// labels as every other host builds, and the table's own font.
//
// The font is named with DS_SETFONT and the Shift-JIS character set, the
// table's face when this system has it (DialogFace). Icon controls name the icon resource
// by the control's id (the program icon, IDR_MAINFRAME, in the program's .rc).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog_template.h"

namespace voxwin {

// The words of the template (aligned as DLGTEMPLATEEX requires when the
// vector's storage is). extraStyle: window style bits beyond a modal dialog
// frame with caption and system menu (e.g. WS_MINIMIZEBOX).
std::vector<std::uint16_t> BuildDialogTemplate(const platform::DialogTemplate& dialog,
                                               std::uint32_t extraStyle = 0);

// The face a dialog is shown in: the template's when the font the system
// maps it to has Japanese glyphs ("MS Shell Dlg" included); otherwise the first installed of Yu
// Gothic UI, Meiryo UI and Noto Sans CJK JP, or else any face with Japanese glyphs (a dialog
// manager's own choice for a missing face can lack them, as Wine's does), or else the template's.
std::string DialogFace(std::string_view templateFace);

// The window style of a control of the table.
std::uint32_t ControlStyle(const platform::ControlTemplate& control);

} // namespace voxwin
