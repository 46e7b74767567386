// The robot card's folder and the files the link puts in it, named once for
// both routes: the drive route writes them through the card as a folder, the
// FlashAir route uploads them by name.
#pragma once

#include <string>
#include <string_view>

inline constexpr std::string_view kCardFolder = "ADDON";
inline constexpr std::string_view kRecordFile = "REMOTE.LOG"; // the command record
inline constexpr std::string_view kProgramFile = "TEMP.TM4";  // a program sent to run
inline constexpr std::string_view kClipFile = "TEMP.wav";     // a clip sent to play

// root + "ADDON" + separator + name, by plain concatenation: the drive route
// joins with the native separator, the FlashAir route and a play list's
// drive letter with a backslash, as the robot's card writes it.
inline std::string CardPath(std::string_view root, char separator, std::string_view name) {
    std::string path(root);
    path += kCardFolder;
    path += separator;
    path += name;
    return path;
}

// A file sent from the program category is a program when its name ends in
// '4' (.TM4), and a clip otherwise.
inline bool IsProgramFile(std::string_view path) {
    return !path.empty() && path.back() == '4';
}
