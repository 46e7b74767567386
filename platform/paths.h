// Paths as data files and settings hold them, and as this platform opens them.
// Data may use '\' or '/' between components; paths the program builds use the
// native separator. On POSIX a data path that does not exist as spelled is
// looked up component by component without regard to letter case, the way a
// folder copied from a Windows disk is meant.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The native separator ('/' on POSIX, '\\' on Windows).
extern const char kPathSeparator;

bool IsPathSeparator(char c);

// Joins components with the native separator; separators of either kind inside
// the parts become native. Empty parts are kept ("" + "x" gives "/x" as
// "%s\%s" would give "\x").
std::string JoinPath(std::initializer_list<std::string_view> parts);

// Every '\' or '/' replaced by the native separator.
std::string ToNativePath(std::string_view path);

// The text before the last separator of either kind; "" when there is none.
std::string CutAtLastSeparator(std::string_view path);

// The part after the last separator of either kind (all of it when none).
std::string_view BaseName(std::string_view path);

// The path as it exists on disk: the native form when it exists as spelled,
// otherwise (POSIX) the first case-insensitive match of every component, or the
// native form when none matches (so creating a file uses the given spelling).
std::string ResolvePath(std::string_view path);

// Opens the file at exactly this path with a C library mode ("rb", "wb", "ab").
// Every C stream the program opens goes through here, so a platform can take a
// UTF-8 path whatever its own code page. nullptr, with errno set, on failure.
std::FILE* OpenFile(const std::string& path, const char* mode);

// Opens a data file (clip, catalogue, play list, program) for reading in
// binary mode at the path ResolvePath gives: every data file is opened here.
// nullptr, with errno set, when it is missing or cannot be opened, and for
// anything but a regular file (EISDIR for a folder), which holds no data.
std::FILE* OpenDataFile(std::string_view path);

// Reads a whole data file, opened as OpenDataFile opens it, into bytes. false,
// with errno set, when it cannot be opened or a read fails; bytes then holds
// what was read.
bool ReadDataFile(std::string_view path, std::string& bytes);

// True when a file or folder exists at the path (with the case fallback).
bool PathExists(std::string_view path);

// Makes the folder at exactly this path, and its missing parents: "" when it
// is a folder afterwards, else the system's description of why not.
std::string MakeFolder(const std::string& path);

// Names (without folder) of the regular files in the folder whose extension
// equals ext without regard to case ("TM4" matches "a.tm4"), sorted by name
// without regard to case. A missing folder gives an empty list.
std::vector<std::string> ListFilesWithExtension(std::string_view folder, std::string_view ext);

// The path made absolute against the current folder (unchanged when it is
// already absolute, or when the current folder cannot be read).
std::string AbsolutePath(const std::string& path);

// The running executable's full path ("" when it cannot be found).
std::string ExecutablePath();

// The running executable's folder with a trailing native separator.
std::string ExecutableFolder();

// The settings file: LocateSettingsFile for the running program and its
// environment.
std::string SettingsFilePath();

// What the settings-file rule looks at; folders end with a separator.
struct SettingsPlaces {
    std::string executableFolder;
    bool executableFolderWritable = false; // FolderIsWritable(executableFolder)
    std::string userFolder;                // UserSettingsFolder(); "" when there is none
};

// The settings-file rule. A portable copy keeps its settings beside the
// executable: Voxlet.ini there when that folder is writable and either the file
// exists or the program is not installed (no InstalledDataFolder, as in a build
// folder). Otherwise, root included, userFolder + "Voxlet.ini", which the first
// use creates with its folder, copying Voxlet.ini from beside the executable or
// else the installed demo set's Voxlet-demo.ini when either exists.
std::string LocateSettingsFile(const SettingsPlaces& places);

// The per-user settings folder: on POSIX $XDG_CONFIG_HOME/voxlet/ (when
// absolute), else $HOME/.config/voxlet/ or the account's home; on Windows
// %APPDATA%\Voxlet\. getenv is looked up through lookup.
std::string UserSettingsFolder(const std::function<const char*(const char*)>& lookup);

// True when files can be created in the folder.
bool FolderIsWritable(const std::string& folder);

// The installed data folder, the one whose demo/ holds the demo voice set,
// when that exists; "" otherwise. It is read-only. The install rules put it at
// executableFolder + "../share/voxlet/"; the Windows zip has the program's own
// folder (Voxlet\demo\ beside voxlet.exe), and the Windows installer
// share\voxlet\ beside the programs' bin\.
std::string InstalledDataFolder(const std::string& executableFolder);

// Makes the folder the current folder; false when it cannot.
bool SetCurrentFolder(const std::string& folder);

// True when both paths exist and name the same folder, however spelled: on
// POSIX the same file (links, "." and ".." and separators resolved); on
// Windows the same full path, short names made long, trailing separators
// dropped, without regard to letter case.
bool IsSameFolder(const std::string& a, const std::string& b);

// The folder that a drive letter stands for. On POSIX the [DRIVES] section of
// the settings file maps a letter to a folder (E=/media/me/CARD); an unmapped
// letter gives nullopt. On Windows "E:\".
std::optional<std::string> DriveRoot(char letter, const std::string& iniPath);

// True when the path starts with a drive letter: "E:" followed by a separator
// of either kind or nothing.
bool HasDriveLetter(std::string_view path);

// Replaces a leading drive letter ("E:" followed by a separator or nothing)
// with its mapped folder. Paths without a drive letter come back unchanged;
// an unmapped letter gives nullopt.
std::optional<std::string> ResolveDriveLetter(std::string_view path, const std::string& iniPath);

// The mount point that holds an existing path (POSIX), or its drive root
// ("E:\" on Windows), with a trailing separator.
std::string MountRootOf(std::string_view path);

} // namespace platform
