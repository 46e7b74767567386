// The numbers that enter the program format, and the export's own reading of
// play-list rows (the export rows of tests/fixtures/vectors/rows.txt). The
// scenarios export_* compare whole program files.
#include <gtest/gtest.h>

#include "export/program_writer.h"
#include "support/test_support.h"

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
    for (const auto& v : testsupport::Vectors("rows.txt")) {
        if (v[0] != "export")
            continue;
        const auto line = ParseExportPlayListLine(v[1]);
        EXPECT_EQ(line.skip ? std::string("skip")
                            : std::to_string(line.id) + (line.hasComma ? "," : " ") +
                                  std::to_string(line.pauseSeconds) + " [" + line.idText + "]",
                  v[2])
            << v[1];
    }
}
