// The name a screen reader reads for each control of the program's dialogs.
#pragma once

#include <string_view>

#include "platform/dialog_template.h"

// A control's name: the table's for the controls without a label of their own
// (the clip list, the volume trackbar, the clip display, the combo boxes and
// the editor's lists), else the text of the static label on its row just left of it (an
// edit field and its label), else its own label. Empty for a control with
// none of these.
std::string_view AccessibleName(const platform::DialogTemplate& dialog,
                                const platform::ControlTemplate& control);
