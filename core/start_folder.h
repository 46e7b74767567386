// The data folder: the folder the program works in, the one that holds the
// recognition catalogue (Ninshiki.csv).
#pragma once

#include <string>

// Catalogues and the voice folder resolve against the current folder, which
// the start keeps or changes, in this order:
// - a current folder holding Ninshiki.csv that is not the program's own
//   (executableFolder) is kept: a shortcut's start folder, `cd ~/tiko`;
// - else the data folder the user chose last ([DATA] DATA_FOLDER in the
//   settings file iniPath) when it holds Ninshiki.csv, so that starting the
//   program from its own folder (a double-click) still finds it;
// - else a current folder holding Ninshiki.csv is kept (a portable copy with
//   the user's data beside the program);
// - else the installed demo voice set, when there is one.
// The demo set is read-only, and an installed program keeps its settings
// elsewhere, so nothing is written into it.
struct StartFolder {
    std::string folder; // the folder changed to; "" when the current one stays
    bool demo = false;  // it is the installed demo set
};
StartFolder EnterDataFolder(const std::string& executableFolder, const std::string& iniPath);

// True when the folder holds Ninshiki.csv.
bool HoldsCatalogue(const std::string& folder);
