// The robot program writer: the fragments of a .TM4 program, and
// the two writers that put a clip or a whole play list into a program file.
//
// A program file is for the robot, not for the PC it is written on: it holds
// Windows-31J (CP932) bytes, every line ends with CR LF and its paths keep
// backslashes, on every platform. The fragments below are those bytes, ready
// to be written in binary mode.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CVoicePlayer;

namespace program_format {

// The fragments of the format (their names are not text of the file).
std::string Header();
std::string SoundBlock(int id);
// path: CP932 bytes below the robot's folder "voice", with backslashes.
std::string PlayClip(std::string_view path);
std::string LipHead(int step);
std::string Copy();
std::string Mouth50();
std::string Mouth0();
std::string Pause(int ticks);
std::string Trailer();

// The name of the lip-movement block, 口パク in CP932.
inline constexpr std::string_view kLipBlockName = "\x8C\xFB\x83\x70\x83\x4E";

// The remote interval S of the formulas: REMOTE_INTERVAL, or 1000 when that
// is 0 or below.
int LipStep(int remoteInterval);

// The number of MOUTH_50/MOUTH_0 groups for a clip of lengthMs milliseconds:
// lengthMs / S (32-bit, truncated), none when that is 0 or below.
int MouthGroups(int lengthMs, int remoteInterval);

} // namespace program_format

// Writes one clip sequence into the program file, HEADER before it unless
// appending, TRAILER after it. clipPath is the CP932 path below "voice"
// ("Ninshiki\NF02.wav"), lengthMs the clip's length and pauseMs the pause
// after it. Shows message 113 when every byte was written and the file closed
// cleanly; message 112 when the file cannot be opened or a write or the close
// fails (then returns false).
bool WriteClipProgram(const std::string& programPath, std::string_view clipPath,
                      std::int16_t soundId, int lengthMs, int pauseMs, bool append,
                      const CVoicePlayer& player);

// Writes HEADER, a clip sequence or pause for each line of the play list, and
// TRAILER. Messages: 109 when the play list cannot be opened (no program file
// is created), 112 when the program file cannot be opened or written, 110 for
// a line whose sound id is not in the catalogue (the file stays as far as it
// was written, without TRAILER), 113 on success. Returns true on success.
bool WritePlayListProgram(const std::string& programPath, const CVoicePlayer& player,
                          const std::string& playListPath);

// One line of a play list as the program writer reads it (not as the
// sequencer does): only a letter prefix "X:," is skipped; the id is the
// leading decimal number of what follows; ';' means nothing.
struct ExportPlayListLine {
    bool skip = true;      // the reading position holds no decimal digit
    int id = 0;            // the leading decimal number
    bool hasComma = false; // a ',' follows the reading position
    int pauseSeconds = 0;  // the number after that first ','
    std::string idText;    // from the id up to the first ',' or the end, no LF
};
ExportPlayListLine ParseExportPlayListLine(std::string_view row);
