// How the sequencer reads one play-list row.
#include <gtest/gtest.h>

#include "playback/play_list_line.h"

TEST(PlayListLine, Rows) {
    // "KIND target id,extra [id text]": T target, P plain, "skip"; the comma
    // only when hasComma.
    auto read = [](std::string_view row) {
        const PlayListLine l = ClassifyPlayListLine(row);
        if (l.kind == PlayListLine::Kind::Skip)
            return std::string("skip");
        return std::string(l.kind == PlayListLine::Kind::Target ? "T" : "P") +
               (l.target ? std::string(1, l.target) : "-") + " " + std::to_string(l.id) +
               (l.hasComma ? "," + std::to_string(l.extraSeconds) : "") + " [" + l.IdText() + "]";
    };
    const std::pair<std::string, std::string> rows[] = {
        {"2:,12\n", "T2 12 [12]"},
        {"E:,12,3\n", "TE 12,3 [12]"},
        // "0:," is no target (the digit 0 names no card): a plain line, a pause.
        {"0:,12\n", "P- 0,12 [0:]"},
        // Letter and colon without a comma: a plain line whose id is 0.
        {"E:12\n", "P- 0 [E:12]"},
        {"0,5\n", "P- 0,5 [0]"},
        {"7,-4\n", "P- 7,-4 [7]"},
        // The id is compared as a 16-bit signed value.
        {"70000\n", "P- 4464 [70000]"},
        {"65535\n", "P- -1 [65535]"},
        // The comma may come after a comment mark: it still counts.
        {"12;note,2\n", "P- 12,2 [12]"},
        // The id text for messages ends at a blank, ';' or a line end.
        {"99 ,3\r\n", "P- 99,3 [99]"},
        {"A:,42x\n", "TA 42 [42x]"},
        {"5\t\n", "P- 5 [5]"},
        {"", "skip"},
        {"\n", "skip"},
        {"x12\n", "skip"},
        {"# 12\n", "skip"},
        {" 12\n", "skip"},
        {",5\n", "skip"},
    };
    for (const auto& [row, expected] : rows)
        EXPECT_EQ(read(row), expected) << row;
}
