// Reading one catalogue row (raw CP932 bytes, as the row reader delivers it).
#pragma once

#include <string_view>
#include <vector>

#include "core/voice_entry.h"

enum class RowResult { Taken, Skipped };

// Parses a row against the voice-set mask. A row is taken when its first
// column is empty or shares a bit with the mask, and it has a non-empty list
// text and at least seven columns; anything else is skipped.
RowResult ParseCatalogueRow(std::string_view row, unsigned mask, VoiceEntry& out);

// The catalogue file for a mode and the mask that selects its rows.
struct CatalogueChoice {
    std::string_view file; // relative to the current folder, '\' separated
    unsigned mask;
};
CatalogueChoice ChooseCatalogue(bool uraVoice, int mode, int model, unsigned version);

// Appends the rows of the chosen catalogue that its mask takes, in file
// order, after its header row. False, with nothing appended, when the file
// does not open.
bool ReadCatalogue(const CatalogueChoice& choice, std::vector<VoiceEntry>& entries);

// The catalogue that a message about a play-list id without a row names: the
// model-1 file of the mode, whatever the model and the hidden catalogue.
std::string_view CatalogueNamedForMode(int mode);
