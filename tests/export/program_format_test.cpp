// The numbers that enter the program format, and the export's own reading of
// play-list rows (the export rows of tests/fixtures/vectors/rows.txt). The
// scenarios export_* compare whole program files.
#include <gtest/gtest.h>

#include "export/program_writer.h"
#include "support/test_support.h"

using namespace program_format;

TEST(ProgramFormat, StepAndGroups) {
    // {length in ms, remote interval, groups, lip step}; an interval of 0 or
    // below counts as 1000.
    const int rows[][4] = {{3000, 1000, 3, 1000}, {3000, 2000, 1, 2000}, {3000, 1500, 2, 1500},
                           {999, 1000, 0, 1000},  {0, 1000, 0, 1000},    {-3000, 1000, 0, 1000},
                           {3000, 0, 3, 1000},    {3000, -5, 3, 1000}};
    for (const auto& r : rows)
        EXPECT_TRUE(MouthGroups(r[0], r[1]) == r[2] && LipStep(r[1]) == r[3])
            << r[0] << " " << r[1];
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
