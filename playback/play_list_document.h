// A play-list file as the editor holds it: its rows in file order, the
// playable ones (as the sequencer classifies them) open to editing, every
// other row kept byte for byte where it stands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a playable row says.
struct PlayListEntry {
    std::int16_t id = 0;             // the sound id; 0 is a pause without a clip
    std::optional<int> extraSeconds; // after a ','; none: the route's margin (distinct from 0)
    std::optional<char> target;      // '1'..'9' or an ASCII letter, as written; none: no prefix

    bool operator==(const PlayListEntry&) const = default;
};

class PlayListDocument {
public:
    // A new, empty play list: rows end in CR LF, the file ends with one.
    PlayListDocument() = default;

    // Takes a file's bytes (CP932, as the sequencer reads them). A row ends
    // at LF, a CR LF pair being one end; the ends, a missing final end and
    // every row the sequencer skips (comments, blank rows, anything else) or
    // reads in pieces (longer than 255 bytes) are kept as they are, and so is
    // everything from a 0x1A byte on, which ends the file for the reader.
    static PlayListDocument FromBytes(std::string_view bytes);
    // The file's bytes: unchanged rows as they were read; an entry that was
    // set anew is written "T:,ID,N" (prefix and pause only when present),
    // keeping what followed the numbers (a "; comment"); a new row ends as the
    // file's first row does (CR LF in a new file).
    std::string ToBytes() const;

    // The playable rows, in file order.
    std::size_t EntryCount() const;
    PlayListEntry Entry(std::size_t index) const;

    // A new row for the entry, placed so that it becomes entry index
    // (index <= EntryCount(); right after the row of entry index - 1, or
    // first in the file when index is 0 and nothing playable precedes).
    void Insert(std::size_t index, const PlayListEntry& entry);
    // Removes entry index's row with its line end.
    void Remove(std::size_t index);
    // Exchanges the texts of entries index and index + 1; the rows between
    // them and every line end stay where they are.
    void MoveDown(std::size_t index);
    // Writes the entry's row anew from entry (see ToBytes).
    void Set(std::size_t index, const PlayListEntry& entry);

    // Whether the bytes differ from what was read or last marked saved.
    bool Modified() const;
    void MarkSaved();

private:
    struct Row {
        std::string text; // without its line end
        std::string end;  // "\r\n" or "\n"; "" for the last row without one
        bool entry = false;
    };
    // The row of entry index; the row count when there is none.
    std::size_t RowOfEntry(std::size_t index) const;
    // How the file ends its rows, kept through every edit.
    struct Ends {
        std::string forNewRows = "\r\n"; // that of the file's first row with an end
        bool final = true;               // false: the last row has none
    };
    // Gives every row but the last its end, and the last one by m_ends.final.
    void PlaceEnds();

    std::vector<Row> m_rows;
    std::string m_tail; // from a 0x1A byte on
    Ends m_ends;
    std::string m_savedBytes;
};

// Why a play-list name cannot name a file in the play_list folder; None when
// it can. A name is UTF-8 as the window shows it.
enum class PlayListNameFault {
    None,
    Empty,        // nothing, or only blanks
    BadCharacter, // \ / : * ? " < > | or a control character, or a trailing '.' or blank
    Reserved, // CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 (any case, with or without an extension)
    NotCp932, // a character the robot's code page cannot hold
    TooLong,  // voiceFolder\play_list\NAME.txt would not fit the reader's 255 bytes (CP932)
};
PlayListNameFault CheckPlayListName(std::string_view name, std::string_view voiceFolder);
