// Catalogue rows and files: which rows are taken, what each field holds, and
// how the loader copes with odd files; how the sequencer reads play-list rows.
#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "playback/play_list_line.h"
#include "support/player_fixture.h"

// The catalogue and sequence rows of tests/fixtures/vectors/rows.txt.
TEST(CatalogueRow, RowsTakenAndTheirFields) {
    for (const auto& v : testsupport::Vectors("rows.txt")) {
        if (v[0] != "catalogue")
            continue;
        VoiceEntry e;
        const RowResult result = ParseCatalogueRow(v[1], std::stoul(v[2], nullptr, 16), e);
        ASSERT_EQ(result, v[3] == "@skip" ? RowResult::Skipped : RowResult::Taken) << v[1];
        if (result != RowResult::Taken)
            continue;
        EXPECT_EQ(std::string(e.pszText) + "|" + std::to_string(e.nSoundId) + "|" +
                      std::to_string(e.nSeconds) + "|" + std::to_string(e.byCategory),
                  v[3] + "|" + v[4] + "|" + v[5] + "|" + v[6])
            << v[1];
        EXPECT_EQ(e.wFlags, std::stoul(v[7], nullptr, 16)) << v[1];
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

TEST_F(PlayerTest, LongLinesBecomeSeveralRowsHeaderIncluded) {
    // A 300-byte header: its first 255 bytes are skipped, its rest is a row.
    std::string header = "1,rest-of-header,x,h.wav,5,1," + std::string(300 - 29, 'h') + "\n";
    std::string longRow = "1,long,x,f.wav,7,1,1," + std::string(233, 'y') + "1,0,1,1\n";
    Put("Ninshiki.csv", std::string(255, 'h') + header + longRow);
    auto& p = Player();
    // The header's continuation is taken as a row.
    ASSERT_EQ(p.Catalogue().entries.size(), 2u);
    EXPECT_EQ(p.Catalogue().entries[0].pszText, "rest-of-header");
    EXPECT_EQ(p.Catalogue().entries[1].pszText, "long");
    EXPECT_EQ(p.Catalogue().entries[1].wFlags, 0);
    // Its remainder ",0,1,1" did not become a row (column 1 empty but only
    // four columns), and the flags were not read from beyond byte 255.
}

TEST_F(PlayerTest, RowsThatDifferOnlyInAWindowsOnlyByteStayApart) {
    // 0xFD and 0xFE are no CP932 characters; the Windows code page still gives
    // each its own character, so each row keeps its own text and clip.
    testsupport::WriteFile(m_dir / "Ninshiki.csv",
                           "h\r\n1,a\xFD,x,fd.wav,5,1,1\r\n1,a\xFE,x,fe.wav,6,1,1\r\n");
    auto& p = Player();
    ASSERT_EQ(p.Catalogue().entries.size(), 2u);
    EXPECT_NE(p.Catalogue().entries[0].pszText, p.Catalogue().entries[1].pszText);
    for (const auto& e : p.Catalogue().entries)
        EXPECT_EQ(p.FindEntryByText(e.pszText)->pszFile, e.pszFile);
}

TEST_F(PlayerTest, EntryCopiedBeforeTheTableIsFreedKeepsItsTexts) {
    Put("Ninshiki.csv", "h\n1,おはよう,x,ａ.wav,1,2,1\n");
    auto& p = Player();
    ASSERT_EQ(p.Catalogue().entries.size(), 1u);
    VoiceEntry copy = p.Catalogue().entries[0];
    copy = p.Catalogue().entries[0];
    p.FreeVoices();
    EXPECT_EQ(copy.pszText, "おはよう");
    EXPECT_EQ(copy.rawFile, "\x82\x81.wav");
}
