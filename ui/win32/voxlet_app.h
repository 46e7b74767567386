// The Windows program's composition root: the Win32 prompts, the waveOut
// audio back end and the WinINet HTTP transport are installed (before the
// dialog exists, so messages shown while the player is constructed have
// them), a current folder without voice data gives way to an installed demo
// set, and the main dialog runs modally; the program ends when it does.
#pragma once

namespace voxwin {

// Runs the program; returns its exit code.
int RunVoxlet();

} // namespace voxwin
