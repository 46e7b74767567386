// The Windows program's composition root: the dialog's services (the Win32
// prompts, PC audio over waveOut, the settings file, the WinINet HTTP
// transport, the real clock) are built before the dialog exists, so messages
// shown while the player is constructed have them; a current folder without
// voice data gives way to the data folder chosen last or the demo set; the
// main dialog runs modally and the program ends when it does.
#pragma once

namespace voxwin {

// Runs the program; returns its exit code.
int RunVoxlet();

} // namespace voxwin
