// The folder the program works in at start.
#pragma once

#include <string>

// Catalogues and the voice folder resolve against the current folder. One
// without the recognition catalogue (Ninshiki.csv), such as the home folder a
// menu entry starts in, gives way to the installed demo voice set when there
// is one: the program changes to it. The set is read-only, and an installed
// program keeps its settings elsewhere, so nothing is written into it.
// Returns the folder changed to, or "" when the current one stays.
std::string EnterDemoWhenNoData(const std::string& executableFolder);
