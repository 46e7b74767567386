// Catalogue rows: which rows are taken and what each field holds, also in a
// copy that outlives the row read (the scenario catalogue_long_rows holds long
// and odd rows in a file); how the sequencer reads play-list rows.
#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "playback/play_list_line.h"
#include "support/test_support.h"

// The columns of a catalogue row in tests/fixtures/vectors/rows.txt; a TEXT of
// "@skip" (a row skipped) ends the row.
enum CatalogueColumn { kKind, kRow, kMask, kText, kId, kSeconds, kCategory, kFlags };

TEST(CatalogueRow, RowsTakenAndTheirFields) {
    for (const auto& v : testsupport::Vectors("rows.txt")) {
        if (v[kKind] != "catalogue")
            continue;
        SCOPED_TRACE(v[kRow]);
        VoiceEntry parsed;
        const RowResult result =
            ParseCatalogueRow(v[kRow], std::stoul(v[kMask], nullptr, 16), parsed);
        ASSERT_EQ(result, v[kText] == "@skip" ? RowResult::Skipped : RowResult::Taken);
        if (result != RowResult::Taken)
            continue;
        // A copy, assigned again, keeps its texts once the original is gone;
        // the file name's bytes are the row's.
        const std::string raw(parsed.rawFile);
        VoiceEntry e(parsed);
        e = parsed;
        parsed = VoiceEntry();
        EXPECT_EQ(e.rawFile, raw);
        EXPECT_NE(v[kRow].find("," + raw + ","), std::string::npos) << raw;
        EXPECT_EQ(std::string(e.pszText) + "|" + std::to_string(e.nSoundId) + "|" +
                      std::to_string(e.nSeconds) + "|" + std::to_string(e.byCategory),
                  v[kText] + "|" + v[kId] + "|" + v[kSeconds] + "|" + v[kCategory]);
        EXPECT_EQ(e.wFlags, std::stoul(v[kFlags], nullptr, 16));
    }
}

TEST(PlayListLine, Rows) {
    for (const auto& v : testsupport::Vectors("rows.txt")) {
        if (v[0] != "sequence")
            continue;
        const PlayListLine l = ClassifyPlayListLine(v[1]);
        std::string read = "skip";
        if (l.kind != PlayListLine::Kind::Skip)
            read = std::string(l.kind == PlayListLine::Kind::Target ? "T" : "P") +
                   (l.target ? std::string(1, l.target) : "-") + " " + std::to_string(l.id) +
                   (l.hasComma ? "," + std::to_string(l.extraSeconds) : "") + " [" + l.IdText() +
                   "]";
        EXPECT_EQ(read, v[2]) << v[1];
    }
}

TEST(CatalogueChoice, FileAndMaskByModeModelAndHiddenCatalogue) {
    EXPECT_EQ(ChooseCatalogue(false, 0, 1, 6).file, ".\\Ninshiki.csv");
    EXPECT_EQ(ChooseCatalogue(false, 0, 1, 6).mask, 7u);
    EXPECT_EQ(ChooseCatalogue(false, 0, 2, 6).mask, 0x20u);
    EXPECT_EQ(ChooseCatalogue(false, 1, 2, 0x22).file, ".\\voice2.csv");
    EXPECT_EQ(ChooseCatalogue(false, 1, 2, 0x22).mask, 0x23u);
    EXPECT_EQ(ChooseCatalogue(false, 1, 1, 1).file, ".\\voice.csv");
    EXPECT_EQ(ChooseCatalogue(true, 1, 2, 1).file, ".\\ura_voice.csv");
}
