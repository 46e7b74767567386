// Helpers shared by the test programs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// A fresh empty folder below the system's temporary folder, removed by the
// destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    // Path of a name inside the folder.
    std::string operator/(std::string_view name) const;

private:
    std::string m_path;
};

// Writes bytes to a file (creating parent folders); reads a whole file.
void WriteFile(const std::string& path, std::string_view bytes);
std::string ReadFile(const std::string& path);

// The UTF-8 text as CP932 bytes with every LF turned into CR LF.
std::string Cp932Crlf(std::string_view utf8);

// A minimal valid PCM WAV (16-bit mono) of the given number of samples.
std::string MakeWav(int sampleRate, int samples, short amplitude = 1000);

// The rows of tests/fixtures/vectors/NAME: each line split at '|' with the C
// escapes \r \n \t \v \0 \\ \xHH undone; a field "@cp932:TEXT" is TEXT as
// Cp932Crlf gives it. Blank lines and lines starting with '#' are skipped.
std::vector<std::vector<std::string>> Vectors(const std::string& name);

} // namespace testsupport
