// Helpers shared by the test programs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// A fresh empty folder below the system's temporary folder (in memory: below
// /dev/shm where there is one, whose syncs cost nothing), removed by the
// destructor.
class TempDir {
public:
    explicit TempDir(bool inMemory = false);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    // Path of a name inside the folder.
    std::string operator/(std::string_view name) const;

private:
    std::string m_path;
};

// True in the Windows build, where POSIX-only cases are skipped; UnderWine:
// that build running under Wine, for what Wine does not do as Windows does.
bool WindowsBuild();
bool UnderWine();
// A path written with '/' as this system spells the paths it builds.
std::string Native(std::string path);

// Faults and file attributes that only some systems have. MakeFifo: false where there are
// no FIFOs (Windows). MakeReadOnly: false when writes would still succeed
// (POSIX permission bits do not stop root).
bool MakeFifo(const std::string& path);
bool MakeReadOnly(const std::string& path);
// Hide marks a file hidden: false where files have no such attribute (POSIX).
bool Hide(const std::string& path);
bool Hidden(const std::string& path);
// The bytes the C heap has handed out and not taken back, over all its arenas:
// false where the system does not tell (Windows).
bool HeapInUse(std::size_t& bytes);

// Writes bytes to a file (creating parent folders); reads a whole file.
void WriteFile(const std::string& path, std::string_view bytes);
std::string ReadFile(const std::string& path);

// The UTF-8 text as CP932 bytes with every LF turned into CR LF.
std::string Cp932Crlf(std::string_view utf8);

// WAV pieces: value as little-endian bytes; a 16-byte fmt chunk (byte rate
// rate * blockAlign); a RIFF/WAVE file of the chunks with a true RIFF size; a
// data chunk of the bytes.
std::string Le(unsigned value, int bytes);
std::string WavFmt(unsigned tag, unsigned channels, unsigned rate, unsigned blockAlign,
                   unsigned bits);
std::string RiffWave(const std::string& chunks);
std::string WavData(const std::string& bytes);
// A minimal valid PCM WAV (16-bit mono) of the given number of samples.
std::string MakeWav(int sampleRate, int samples, short amplitude = 1000);

// The rows of tests/fixtures/vectors/NAME: each line split at '|' with the C
// escapes \r \n \t \v \0 \\ \xHH undone; a field "@cp932:TEXT" is TEXT as
// Cp932Crlf gives it. Blank lines and lines starting with '#' are skipped.
std::vector<std::vector<std::string>> Vectors(const std::string& name);

} // namespace testsupport
