// The numbers that enter the program format (whose bytes the golden files
// check), and the export's own reading of play-list lines.
#include <gtest/gtest.h>

#include "export/program_writer.h"

using namespace program_format;

TEST(ProgramFormat, StepAndGroups) {
    for (const auto& [interval, step] :
         {std::pair{1000, 1000}, {2000, 2000}, {0, 1000}, {-5, 1000}})
        EXPECT_EQ(LipStep(interval), step) << interval;
    // {length in ms, remote interval, groups}; an interval of 0 or below counts as 1000.
    const int groups[][3] = {{3000, 1000, 3}, {3000, 2000, 1},  {3000, 1500, 2}, {999, 1000, 0},
                             {0, 1000, 0},    {-3000, 1000, 0}, {3000, 0, 3}};
    for (const auto& g : groups)
        EXPECT_EQ(MouthGroups(g[0], g[1]), g[2]) << g[0] << " " << g[1];
}

TEST(ExportPlayListLine, Rows) {
    // "id,pause [id text]" when a comma follows, "id pause [id text]" when not.
    auto read = [](std::string_view row) {
        const auto line = ParseExportPlayListLine(row);
        return line.skip ? std::string("skip")
                         : std::to_string(line.id) + (line.hasComma ? "," : " ") +
                               std::to_string(line.pauseSeconds) + " [" + line.idText + "]";
    };
    const std::pair<std::string, std::string> rows[] = {
        {"a:,12,3\n", "12,3 [12]"}, // a letter prefix is skipped
        {"Z:,7", "7 0 [7]"},
        {"2:,102\n", "2,102 [2:]"}, // a digit prefix is read from the start
        {"1:2\n", "1 0 [1:2]"},
        {"99;memo,4\n", "99,4 [99;memo]"}, // ';' means nothing
        {"103;x\n", "103 0 [103;x]"},
        {"5, 2\n", "5,2 [5]"}, // the pause as atoi reads it
        {"5,x\n", "5,0 [5]"},
        {"007\n", "7 0 [007]"},
        {"", "skip"},
        {",5\n", "skip"},
        {"x12\n", "skip"},
        {"# 1\n", "skip"},
        {":,1\n", "skip"},
        {"a:12\n", "skip"}, // a letter prefix needs both the colon and the comma
        {"a,12\n", "skip"},
        {"a:, 12\n", "skip"},       // a blank is not a digit
        {"\x82\xA0:,12\n", "skip"}, // bytes above 0x7F are no Latin letters
    };
    for (const auto& [row, expected] : rows)
        EXPECT_EQ(read(row), expected) << row;
}
