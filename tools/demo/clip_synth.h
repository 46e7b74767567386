// The clips of the demo voice set: speech from espeak-ng's Japanese voice, or,
// without espeak-ng, a short tone sequence; both end up as 16-bit mono PCM
// WAV files with a plain 44-byte header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace demo {

constexpr int kSampleRate = 22050; // espeak-ng's rate; the tones use it too

struct Pcm {
    int rate = kSampleRate;
    std::vector<std::int16_t> samples; // mono
};

// Reads a 16-bit mono PCM WAV file (what espeak-ng writes).
bool ReadPcmWav(const std::string& path, Pcm& pcm, std::string& error);

// The bytes of a WAV file: RIFF header, fmt chunk (PCM, mono, 16 bits), data.
std::string WavBytes(const Pcm& pcm);

// Adds 0.2 s of silence at the end and pads a clip to at least 0.6 s, so that
// every clip rounds to one second or more.
void FinishClip(Pcm& pcm);

// The clip's length rounded to whole seconds (halves up), from the size of
// its sample data and its byte rate: the rule the length column follows.
int RoundedSeconds(std::size_t dataBytes, std::uint32_t byteRate);

// A tone sequence of exactly `seconds` seconds: short notes of a pentatonic
// scale, chosen from the seed, with a short gap after each.
Pcm ToneSequence(int seconds, unsigned seed);

// A little rising fanfare of two seconds (the demo program folder's WAV).
Pcm Fanfare();

// The tone fallback's length for a spoken text: one second, plus one for
// every eight characters, at most four.
int NominalSeconds(const std::string& utf8);

// Runs `espeak -v ja -w wavPath text`; false with a reason when it cannot be
// run, fails, or writes no readable clip.
bool Speak(const std::string& espeak, const std::string& text, const std::string& wavPath, Pcm& pcm,
           std::string& error);

// Runs a program (searched on PATH) with its standard output going to
// stdoutPath (or /dev/null when empty) in the folder cwd (or the current one
// when empty). The exit status; -1 when it could not be started.
int RunProgram(const std::vector<std::string>& argv, const std::string& cwd,
               const std::string& stdoutPath);

// The program's path when `name` is found on PATH (or is a path itself that
// can be executed); "" otherwise.
std::string FindProgram(const std::string& name);

} // namespace demo
