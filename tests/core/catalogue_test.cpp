// Catalogue rows: which rows are taken and what each field holds, also in a
// copy that outlives the row read (the scenario catalogue_long_rows holds long
// and odd rows in a file); how the sequencer reads play-list rows; which
// catalogue a mode and model choose; how finding a clip folds texts.
#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "core/find_fold.h"
#include "playback/play_list_line.h"
#include "support/test_support.h"

// The columns of a catalogue row in tests/fixtures/vectors/rows.txt; a TEXT of
// "@skip" (a row skipped) ends the row.
enum CatalogueColumn { kKind, kRow, kMask, kText, kId, kSeconds, kCategory, kFlags };

TEST(CatalogueRow, RowsTakenAndTheirFieldsPlayListRowsTheCatalogueChosenAndFindFolding) {
    for (const auto& v : testsupport::Vectors("rows.txt")) {
        SCOPED_TRACE(v[kRow]);
        if (v[kKind] == "sequence") {
            const PlayListLine l = ClassifyPlayListLine(v[1]);
            std::string read = "skip";
            if (l.kind != PlayListLine::Kind::Skip)
                read = std::string(l.kind == PlayListLine::Kind::Target ? "T" : "P") +
                       (l.target ? std::string(1, l.target) : "-") + " " + std::to_string(l.id) +
                       (l.hasComma ? "," + std::to_string(l.extraSeconds) : "") + " [" +
                       l.IdText() + "]";
            EXPECT_EQ(read, v[2]);
        } else if (v[kKind] == "fold") {
            EXPECT_EQ(FoldForFind(v[1]), v[2]);
        } else if (v[kKind] == "match") {
            EXPECT_EQ(FoldForFind(v[2]).find(FoldForFind(v[1])) != std::string::npos, v[3] == "1");
        } else if (v[kKind] == "choice") {
            const CatalogueChoice c = ChooseCatalogue(
                v[1] == "hidden", std::stoi(v[2]), std::stoi(v[3]), std::stoul(v[4], nullptr, 16));
            EXPECT_EQ(c.file, v[5]);
            EXPECT_EQ(c.mask, std::stoul(v[6], nullptr, 16));
        }
        if (v[kKind] != "catalogue")
            continue;
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
