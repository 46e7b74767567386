// Data paths: native forms keep every byte but the separators, a path splits
// into its folder and base name and joins back, a mapped drive letter becomes
// its folder, and a case-resolved path differs only in letter case.
#include <filesystem>

#include "fuzz.h"
#include "platform/paths.h"

void FuzzOne(std::string_view path) {
    const std::string native = platform::ToNativePath(path);
    FUZZ_CHECK(native.size() == path.size() && native.find('\\') == native.npos);
    for (std::size_t i = 0; i < path.size(); ++i)
        FUZZ_CHECK(native[i] == path[i] || platform::IsPathSeparator(path[i]));

    const std::string_view base = platform::BaseName(path);
    const std::string folder = platform::CutAtLastSeparator(path);
    FUZZ_CHECK(path.ends_with(base) && base.find_first_of("\\/") == base.npos);
    if (base.size() < path.size())
        FUZZ_CHECK(platform::JoinPath({folder, base}) == native);
    else
        FUZZ_CHECK(folder.empty());

    // A settings file mapping E: and a small tree the case fallback can find.
    static const std::string ini = [] {
        const std::string tree = fuzz::Scratch() + "tree/";
        std::filesystem::create_directories(tree + "Voice/Ninshiki");
        fuzz::WriteFile(tree + "Voice/Clip.WAV", "");
        fuzz::WriteFile(tree + "voice.csv", "");
        FUZZ_CHECK(platform::SetCurrentFolder(tree));
        fuzz::WriteFile(fuzz::Scratch() + "drives.ini", "[DRIVES]\r\nE=/media/card\r\n");
        return fuzz::Scratch() + "drives.ini";
    }();
    const auto drive = platform::ResolveDriveLetter(path, ini);
    if (!platform::HasDriveLetter(path))
        FUZZ_CHECK(drive == path);
    else if ((path[0] | 0x20) == 'e')
        FUZZ_CHECK(drive == "/media/card/" + (path.size() > 3 ? native.substr(3) : ""));
    else
        FUZZ_CHECK(!drive);

    if (!native.starts_with('/') && native.find("..") == native.npos)
        FUZZ_CHECK(fuzz::SameIgnoringCase(platform::ResolvePath(path), native));
}
