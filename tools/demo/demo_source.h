// The UTF-8 sources of the demo voice set (resources/demo/*.txt): one
// catalogue each, in a form that is easy to read and edit by hand. The format
// is described at the top of resources/demo/Ninshiki.txt.
#pragma once

#include <string>
#include <vector>

namespace demo {

struct SourceRow {
    std::string set;      // column 1 as written; "" = the row is always taken
    int id = 0;           // column 5, the sound id
    int category = 0;     // column 7
    bool hasFlags = true; // false: the row has no flag columns (seven columns)
    unsigned flags = 0;   // columns 8..19 as bits 0x800..0x001
    std::string label;    // column 2 (UTF-8)
    std::string reading;  // column 3 (UTF-8): what is spoken
    std::string file;     // column 4, below the clip folder, with backslashes
    int line = 0;         // line of the source, for messages
};

struct CatalogueSource {
    std::string header;      // the catalogue's first line (UTF-8)
    std::string filePattern; // "@file": {id} and {id2} stand for the sound id
    std::vector<SourceRow> rows;
};

// Reads and checks a source: every row has a label, a unique label and sound
// id, a number for the category (0..255) and the flags (0..0xFFF), and no
// field holds a comma (a catalogue has no quoting). False with a message
// naming the line on the first error.
bool ReadCatalogueSource(const std::string& path, CatalogueSource& source, std::string& error);

// The twelve flag columns 8..19 of a row, "0" or "1" each, column 8 first.
std::string FlagColumns(unsigned flags);

// Text as UTF-8 with LF line ends turned into CP932 with CR LF line ends.
// False when a character has no CP932 form or a line is longer than the 255
// bytes that the program reads as one row.
bool ToCp932Lines(const std::string& utf8, std::string& cp932, std::string& error);

} // namespace demo
