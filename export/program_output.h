// The program output command (button 7, "プログラム出力"): asks for
// a program file and writes the selected clip, or the selected play list,
// into it.
#pragma once

class CVoicePlayer;

namespace platform {
class DialogHost;
}

// Runs the command against the main dialog; reports its outcome in message
// boxes and has no result.
void ProgramOutput(const CVoicePlayer& player, platform::DialogHost& dlg);
