// The settings file: input = mode byte, section, key and value lines, then the
// file. A written value reads back, a refused write leaves the file as it was,
// and no other key reads differently after a write or a deletion.
#include <optional>
#include <tuple>
#include <vector>

#include "fuzz.h"
#include "platform/profile.h"

namespace {
constexpr std::string_view kMissing = "\x01missing";

std::string_view Trim(std::string_view s) {
    s.remove_prefix(std::min(s.find_first_not_of(" \t\v"), s.size()));
    return s.substr(0, s.find_last_not_of(" \t\v") + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    return fuzz::SameIgnoringCase(Trim(a), Trim(b));
}

// A name that reads back as written: no byte the file syntax gives a meaning.
bool Plain(std::string_view name) {
    return !name.empty() && Trim(name) == name &&
           name.find_first_of("=[];\"'\0", 0, 8) == name.npos;
}

std::string Read(std::string_view section, std::string_view key, const std::string& path) {
    return platform::ProfileReadString(section, key, kMissing, 1 << 16, path);
}
} // namespace

void FuzzOne(std::string_view input) {
    if (input.empty())
        return;
    // 0 writes the value, 1 deletes the key, 2 deletes the section.
    const int mode = static_cast<unsigned char>(input[0]) % 3;
    input.remove_prefix(1);
    const std::string_view section = fuzz::Take(input), key = fuzz::Take(input);
    const std::string_view value = fuzz::Take(input);
    const std::string path = fuzz::Scratch() + "settings.ini";
    fuzz::WriteFile(path, input);

    // Every [section] key= of the file, with the value it reads.
    std::vector<std::tuple<std::string_view, std::string_view, std::string>> names;
    std::string_view current;
    for (std::string_view rest = input; !rest.empty();) {
        const std::string_view line = fuzz::Take(rest);
        if (line.starts_with('['))
            current = line.substr(1, line.find(']') - 1);
        else if (const auto name = Trim(line.substr(0, line.find('=')));
                 line.find('=') != line.npos)
            names.emplace_back(current, name, Read(current, name, path));
    }

    const bool written =
        platform::ProfileWriteString(section, mode == 2 ? std::nullopt : std::optional(key),
                                     mode == 0 ? std::optional(value) : std::nullopt, path);
    if (!written) {
        FUZZ_CHECK(fuzz::ReadFile(path) == input);
        return;
    }
    const std::string_view stored = Trim(value).substr(0, Trim(value).find('\0'));
    if (Plain(section) && Plain(key) && mode == 0 && value.find_first_of("\"'") == value.npos)
        FUZZ_CHECK(Read(section, key, path) == stored);
    for (const auto& [s, k, before] : names) {
        // The names as the file will read them: a header ends at ']', a key at '='.
        if (!SameName(s, section.substr(0, section.find(']'))) ||
            (mode < 2 && !SameName(k, key.substr(0, key.find('=')))))
            FUZZ_CHECK(Read(s, k, path) == before);
    }
}
