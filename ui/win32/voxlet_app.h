// The Windows program's composition root: the dialog's services (the Win32
// prompts, which hold COM apartment-threaded on the UI thread for the
// program's life, PC audio over waveOut, the settings file, the WinINet HTTP
// transport, the real clock) are built before the dialog exists, so messages
// shown while the player is constructed have them; the start enters the data
// folder (EnterDataFolder); the main dialog runs modally and the program ends
// when it does.
#pragma once

namespace voxwin {

// Runs the program; returns its exit code.
int RunVoxlet();

} // namespace voxwin
