// Names for screen readers of the controls without a label of their own.
#pragma once

#include <windows.h>

#include <string_view>

namespace voxwin {

// Gives the control the name assistive technology reads for it (Microsoft
// Active Accessibility's name property); nothing when name is empty or the
// system offers no such service. COM must be initialised on the thread.
void NameForScreenReaders(HWND control, std::string_view name);

} // namespace voxwin
