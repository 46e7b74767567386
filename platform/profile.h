// Private-profile ("INI") settings access with the observable behaviour of the
// Windows functions: reads fetch one key at a time, every write updates the file
// on disk at once and leaves every untouched byte as it was.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A file's encoding is decided once for the whole file: a file in which any
// byte sequence is not valid UTF-8 is CP932 throughout, any other file (a new
// one too) is UTF-8. Callers always pass and receive UTF-8.

// Returns the value of [section] key, or the default (trailing spaces removed)
// when the file, section or key is missing. At most bufferSize - 1 bytes of the
// value as the file stores it are returned (bufferSize 0 returns ""), so a CP932
// value may come back longer in UTF-8; a character that the bound would split is
// dropped whole.
std::string ProfileReadString(std::string_view section, std::string_view key,
                              std::string_view defaultValue, std::size_t bufferSize,
                              const std::string& path);

// Reads the value as a decimal integer: optional blanks and sign, digits up to
// the first non-digit, 32-bit wrap-around. A missing or empty value gives the
// default; a value without digits gives 0.
int ProfileReadInt(std::string_view section, std::string_view key, int defaultValue,
                   const std::string& path);

// Why a write failed.
enum class ProfileWriteFault {
    None,
    LineBreak,    // a name or the value holds CR or LF, or the key would read as a header
    NotEncodable, // a name or the value cannot be stored in the file's encoding
    System,       // the file could not be read or replaced
};
struct ProfileWriteError {
    ProfileWriteFault fault = ProfileWriteFault::None;
    std::string systemText;    // System: the system's description of the cause
    bool mayBeDamaged = false; // System: a write in place failed part way
};

// Writes key=value into [section], creating the file (CR LF line ends) and the
// section when absent. Lines it adds end in CR LF; other bytes stay as they
// were; names and the value are stored in the file's encoding. A null value
// deletes the key; a null key deletes the section. A write never adds a line
// or a section of its own making: a name or value with a line break is refused.
// Returns false, with the file unchanged and *error (when given) saying why,
// when the write is refused or the file cannot be written (a file written in
// place gets its old bytes back, best effort: error->mayBeDamaged). A value the file
// took is then given to onWritten (section, key, value), for transcripts.
using ProfileWriteHook =
    std::function<void(std::string_view section, std::string_view key, std::string_view value)>;
bool ProfileWriteString(std::string_view section, std::optional<std::string_view> key,
                        std::optional<std::string_view> value, const std::string& path,
                        ProfileWriteError* error = nullptr, const ProfileWriteHook& onWritten = {});

} // namespace platform
