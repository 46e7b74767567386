// How the sequencer reads one play-list row.
#include <gtest/gtest.h>

#include "playback/play_list_line.h"

using Kind = PlayListLine::Kind;

TEST(PlayListLine, TargetPlainAndSkippedRows) {
    auto t = ClassifyPlayListLine("2:,12\n");
    EXPECT_EQ(t.kind, Kind::Target);
    EXPECT_EQ(t.target, '2');
    EXPECT_EQ(t.id, 12);
    EXPECT_FALSE(t.hasComma);

    auto e = ClassifyPlayListLine("E:,12,3\n");
    EXPECT_EQ(e.kind, Kind::Target);
    EXPECT_EQ(e.target, 'E');
    EXPECT_EQ(e.id, 12);
    EXPECT_TRUE(e.hasComma);
    EXPECT_EQ(e.extraSeconds, 3);

    // "0:," is no target (the digit 0 names no card): a plain line with id 0.
    auto zero = ClassifyPlayListLine("0:,12\n");
    EXPECT_EQ(zero.kind, Kind::Plain);
    EXPECT_EQ(zero.id, 0);

    // Letter and colon without a comma: a plain line whose id is 0.
    auto noComma = ClassifyPlayListLine("E:12\n");
    EXPECT_EQ(noComma.kind, Kind::Plain);
    EXPECT_EQ(noComma.id, 0);
    EXPECT_FALSE(noComma.hasComma);

    for (const char* skipped : {"", "\n", "x12\n", "# 12\n", " 12\n", ",5\n"})
        EXPECT_EQ(ClassifyPlayListLine(skipped).kind, Kind::Skip) << skipped;
}

TEST(PlayListLine, WaitsAndIds) {
    auto pause = ClassifyPlayListLine("0,5\n");
    EXPECT_EQ(pause.id, 0);
    EXPECT_EQ(pause.extraSeconds, 5);
    auto negative = ClassifyPlayListLine("7,-4\n");
    EXPECT_EQ(negative.extraSeconds, -4);
    // The id is compared as a 16-bit signed value.
    EXPECT_EQ(ClassifyPlayListLine("70000\n").id, 4464);
    EXPECT_EQ(ClassifyPlayListLine("65535\n").id, -1);
    // The comma may come after a comment mark: it still counts.
    auto late = ClassifyPlayListLine("12;note,2\n");
    EXPECT_EQ(late.id, 12);
    EXPECT_TRUE(late.hasComma);
    EXPECT_EQ(late.extraSeconds, 2);
}

TEST(PlayListLine, IdTextForMessages) {
    EXPECT_EQ(ClassifyPlayListLine("99;note\n").IdText(), "99");
    EXPECT_EQ(ClassifyPlayListLine("99 ,3\r\n").IdText(), "99");
    EXPECT_EQ(ClassifyPlayListLine("A:,42x\n").IdText(), "42x");
    EXPECT_EQ(ClassifyPlayListLine("5\t\n").IdText(), "5");
}
