// Where the settings file is, and the installed data folder: one rule for
// every system, which supplies only UserSettingsFolder and FolderIsWritable.
#include "platform/files.h"
#include "platform/paths.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#ifndef VOXLET_DATA_FROM_BIN
#define VOXLET_DATA_FROM_BIN "../share/voxlet"
#endif

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr const char kSettingsName[] = "Voxlet.ini";

// Paths are UTF-8 whatever the system's narrow encoding.
fs::path FsPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool IsFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(FsPath(path), error);
}

// Copies the bytes of from into to, whole or not at all and only where
// nothing is there yet, so a program starting at the same time never reads
// half a file, and a file another one has just made (and may have written a
// setting to) is used as it is.
void CopySettings(const std::string& from, const std::string& to) {
    std::string bytes;
    if (ReadWholeFile(from, bytes) == WholeRead::Ok)
        (void)CreateWholeFile(to, bytes);
}

} // namespace

std::string InstalledDataFolder(const std::string& executableFolder) {
    if (executableFolder.empty())
        return {};
    // The places the data folder may have, from the programs' folder, in
    // order and '|'-separated (the Windows zip's and the installer's).
    std::string_view places = VOXLET_DATA_FROM_BIN;
    while (!places.empty()) {
        const std::size_t bar = std::min(places.find('|'), places.size());
        const std::string_view place = places.substr(0, bar);
        places.remove_prefix(std::min(bar + 1, places.size()));
        const fs::path data =
            (FsPath(executableFolder) / FsPath(std::string(place))).lexically_normal();
        std::error_code error;
        if (!fs::is_directory(data / "demo", error))
            continue;
        std::string folder = Utf8Of(data);
        if (folder.back() != kPathSeparator)
            folder += kPathSeparator;
        return folder;
    }
    return {};
}

std::string LocateSettingsFile(const SettingsPlaces& places) {
    const std::string beside = places.executableFolder + kSettingsName;
    const bool besideExists = IsFile(beside);
    const std::string data = InstalledDataFolder(places.executableFolder);
    if ((besideExists || data.empty()) && places.executableFolderWritable)
        return beside;
    if (places.userFolder.empty())
        return beside; // no home folder: nowhere better to look
    const std::string own = places.userFolder + kSettingsName;
    if (!IsFile(own)) {
        (void)MakeFolder(places.userFolder); // a failure shows when the copy is made or read
        const std::string demo =
            data.empty() ? std::string() : data + JoinPath({"demo", "Voxlet-demo.ini"});
        if (besideExists)
            CopySettings(beside, own);
        else if (!demo.empty() && IsFile(demo))
            CopySettings(demo, own);
    }
    return own;
}

std::string SettingsFilePath() {
    const std::string folder = ExecutableFolder();
    return LocateSettingsFile(
        {folder, FolderIsWritable(folder),
         UserSettingsFolder([](const char* name) -> const char* { return std::getenv(name); })});
}

} // namespace platform
