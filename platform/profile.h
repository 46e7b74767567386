// Private-profile ("INI") settings access with the observable behaviour of the
// Windows functions: reads fetch one key at a time, every write updates the file
// on disk at once and leaves every untouched byte as it was.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Returns the value of [section] key, or the default (trailing spaces removed)
// when the file, section or key is missing. At most bufferSize - 1 bytes of the
// value are returned (bufferSize 0 returns ""); when that bound falls inside a
// UTF-8 character, the partial character is dropped too. Values that are not
// valid UTF-8 are read as CP932 and returned as UTF-8.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize,
                                    const std::string& path);

// Reads the value as a decimal integer: optional blanks and sign, digits up to
// the first non-digit, 32-bit wrap-around. A missing or empty value gives the
// default; a value without digits gives 0.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::string& path);

// Writes key=value into [section], creating the file (CR LF line ends) and the
// section when absent. Lines it adds end in CR LF; other bytes stay as they
// were. A null value deletes the key; a null key deletes the section. Returns
// false when the file cannot be written.
bool WritePrivateProfileString(std::string_view section, std::optional<std::string_view> key,
                               std::optional<std::string_view> value, const std::string& path);

// Observer of successful writes (section, key, value), for transcripts.
using ProfileWriteHook =
    std::function<void(std::string_view section, std::string_view key, std::string_view value)>;
void SetProfileWriteHook(ProfileWriteHook hook);

} // namespace platform
