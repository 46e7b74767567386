// One row of a play-list file as the sequencer reads it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct PlayListLine {
    enum class Kind { Skip, Plain, Target };
    Kind kind = Kind::Skip;
    char target = 0;       // the target character of a target line
    std::string_view body; // the text after the target prefix (or the whole row)
    std::int16_t id = 0;   // sound id at the start of the body; 0 = a pause
    bool hasComma = false; // an extra wait follows the first ','
    int extraSeconds = 0;  // the number after the first ','

    // The id as written, for messages: the body up to its first ',' and its
    // first ';', without trailing blanks and control bytes (raw bytes).
    std::string IdText() const;
};

// Classifies a raw row (CP932 bytes, line end included): "T:," with T a digit
// 1-9 or an ASCII letter is a target line; a row whose first byte is a digit
// or whose second byte is ':' is a plain line; anything else is skipped.
PlayListLine ClassifyPlayListLine(std::string_view row);
