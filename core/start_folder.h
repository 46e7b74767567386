// The data folder: the folder the program works in, the one that holds the
// recognition catalogue (Ninshiki.csv).
#pragma once

#include <string>

// Catalogues and the voice folder resolve against the current folder. One
// without Ninshiki.csv, such as the home folder a menu entry starts in, gives
// way to the data folder the user chose last ([DATA] DATA_FOLDER in the
// settings file iniPath) when it holds one, else to the installed demo voice
// set when there is one: the program changes to it. The demo set is
// read-only, and an installed program keeps its settings elsewhere, so
// nothing is written into it.
struct StartFolder {
    std::string folder; // the folder changed to; "" when the current one stays
    bool demo = false;  // it is the installed demo set
};
StartFolder EnterDataFolder(const std::string& executableFolder, const std::string& iniPath);

// True when the folder holds Ninshiki.csv.
bool HoldsCatalogue(const std::string& folder);
