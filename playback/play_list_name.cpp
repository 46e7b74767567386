// CheckPlayListName: whether a name can be saved as NAME.txt in the play_list
// folder on every system the robot's files pass through, Windows included,
// and then be read back by the sequencer.
#include <array>

#include "platform/text.h"
#include "playback/play_list_document.h"

namespace {

constexpr std::size_t kPathLimit = 255; // the reader's path buffer, its 0 aside

bool IsBlankOnly(std::string_view name) {
    constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
    while (!name.empty()) {
        if (name.front() == ' ')
            name.remove_prefix(1);
        else if (name.starts_with(kIdeographicSpace))
            name.remove_prefix(kIdeographicSpace.size());
        else
            return false;
    }
    return true;
}

bool HasBadCharacter(std::string_view name) {
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            return true;
    // Windows drops a trailing '.' or space from a file name.
    return name.back() == '.' || name.back() == ' ';
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Windows names its devices so in every folder, whatever follows a '.'.
bool IsReserved(std::string_view name) {
    std::string stem(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (char& c : stem)
        c = Upper(c);
    static constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
    for (const std::string_view device : kDevices)
        if (stem == device)
            return true;
    return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
           stem[3] >= '1' && stem[3] <= '9';
}

} // namespace

PlayListNameFault CheckPlayListName(std::string_view name, std::string_view voiceFolder) {
    if (IsBlankOnly(name))
        return PlayListNameFault::Empty;
    if (HasBadCharacter(name))
        return PlayListNameFault::BadCharacter;
    if (IsReserved(name))
        return PlayListNameFault::Reserved;
    bool exact = true;
    const std::string bytes = platform::Utf8ToCp932(name, &exact);
    if (!exact)
        return PlayListNameFault::NotCp932;
    const std::string folder = platform::Utf8ToCp932(voiceFolder);
    constexpr std::string_view kFolder = "\\play_list\\";
    constexpr std::string_view kExtension = ".txt";
    if (folder.size() + kFolder.size() + bytes.size() + kExtension.size() > kPathLimit)
        return PlayListNameFault::TooLong;
    return PlayListNameFault::None;
}
