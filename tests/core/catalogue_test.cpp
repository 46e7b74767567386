// Catalogue rows: which rows are taken and what each field holds, also in a
// copy that outlives the row read (the scenario catalogue_long_rows holds long
// and odd rows in a file); how the sequencer reads play-list rows.
#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "playback/play_list_line.h"
#include "support/test_support.h"

namespace {

// A catalogue row of tests/fixtures/vectors/rows.txt by its columns'
// names: catalogue|ROW|MASK|TEXT|ID|SECONDS|CATEGORY|FLAGS, where a TEXT of
// "@skip" (a row skipped) ends the row.
struct CatalogueCase {
    explicit CatalogueCase(const std::vector<std::string>& v)
        : row(v.at(1)), mask(std::stoul(v.at(2), nullptr, 16)), taken(v.at(3) != "@skip") {
        if (!taken)
            return;
        text = v.at(3), id = v.at(4), seconds = v.at(5), category = v.at(6);
        flags = std::stoul(v.at(7), nullptr, 16);
    }
    std::string row;
    unsigned long mask;
    bool taken;
    std::string text, id, seconds, category;
    unsigned long flags = 0;
};

} // namespace

TEST(CatalogueRow, RowsTakenAndTheirFields) {
    for (const auto& v : testsupport::Vectors("rows.txt")) {
        if (v[0] != "catalogue")
            continue;
        const CatalogueCase c(v);
        SCOPED_TRACE(c.row);
        VoiceEntry parsed;
        const RowResult result = ParseCatalogueRow(c.row, c.mask, parsed);
        ASSERT_EQ(result, c.taken ? RowResult::Taken : RowResult::Skipped);
        if (result != RowResult::Taken)
            continue;
        // A copy, assigned again, keeps its texts once the original is gone;
        // the file name's bytes are the row's.
        const std::string raw(parsed.rawFile);
        VoiceEntry e(parsed);
        e = parsed;
        parsed = VoiceEntry();
        EXPECT_EQ(e.rawFile, raw);
        EXPECT_NE(c.row.find("," + raw + ","), std::string::npos) << raw;
        EXPECT_EQ(e.pszText, c.text);
        EXPECT_EQ(std::to_string(e.nSoundId), c.id);
        EXPECT_EQ(std::to_string(e.nSeconds), c.seconds);
        EXPECT_EQ(std::to_string(e.byCategory), c.category);
        EXPECT_EQ(e.wFlags, c.flags);
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
