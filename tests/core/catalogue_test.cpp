// Catalogue rows and files: which rows are taken, what each field holds, and
// how the loader copes with odd files.
#include <gtest/gtest.h>

#include <random>

#include "core/catalogue.h"
#include "support/player_fixture.h"

TEST(CatalogueRow, RowsTakenAndTheirFields) {
    const struct {
        std::string row;
        unsigned mask;
        RowResult result;
        std::string text;
        int id, seconds, category;
        unsigned flags;
    } cases[] = {
        // The voice-set column against the mask; an empty one always counts.
        {",t,x,f,1,2,3\n", 0, RowResult::Taken, "t", 1, 2, 3, 0},
        {"0,t,x,f,1,2,3\n", 0xFF, RowResult::Skipped, "", 0, 0, 0, 0},
        {"abc,t,x,f,1,2,3\n", 0xFF, RowResult::Skipped, "", 0, 0, 0, 0},
        {"3,t,x,f,1,2,3\n", 1, RowResult::Taken, "t", 1, 2, 3, 0},
        {"2,t,x,f,1,2,3\n", 1, RowResult::Skipped, "", 0, 0, 0, 0},
        // Fields keep blanks, numbers read like atoi and wrap to their widths.
        {"1, a b ,x,f, 12abc,  -3 ,256\n", 1, RowResult::Taken, " a b ", 12, -3, 0, 0},
        {"1,t,x,f,70000,1,1\n", 1, RowResult::Taken, "t", 4464, 1, 1, 0},
        // Flags shift in from column eight; "10" counts as 1, " 1" as 0;
        // columns after the 19th are ignored.
        {"1,t,x,f,1,1,0,1,0,0,0,0,0,0,0,0,0,0,1\n", 1, RowResult::Taken, "t", 1, 1, 0, 0x801},
        {"1,t,x,f,1,1,0,10,1, 1\n", 1, RowResult::Taken, "t", 1, 1, 0, 0x006},
        {"1,t,x,f,1,1,0,1,1,1,1,1,1,1,1,1,1,1,1,1,1\n", 1, RowResult::Taken, "t", 1, 1, 0, 0xFFF},
        // Incomplete rows.
        {"1\n", 1, RowResult::Skipped, "", 0, 0, 0, 0},
        {",,x,f,1,1,1\n", 1, RowResult::Skipped, "", 0, 0, 0, 0},
        {"1,t,x,f,1,1\n", 1, RowResult::Skipped, "", 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        VoiceEntry e;
        ASSERT_EQ(ParseCatalogueRow(c.row, c.mask, e), c.result) << c.row;
        if (c.result != RowResult::Taken)
            continue;
        EXPECT_EQ(e.pszText, c.text) << c.row;
        EXPECT_EQ(e.nSoundId, c.id) << c.row;
        EXPECT_EQ(e.nSeconds, c.seconds) << c.row;
        EXPECT_EQ(e.byCategory, c.category) << c.row;
        EXPECT_EQ(e.wFlags, c.flags) << c.row;
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

TEST_F(PlayerTest, HeaderIsSkippedAndCp932TextDecoded) {
    Put("Ninshiki.csv", "1,ヘッダー,x,h.wav,9,9,1\n"
                        "1,おはよう①,x,ａ.wav,1,2,1\n"
                        ",こんにちは,x,b.wav,2,3,1\n");
    auto& p = Player();
    ASSERT_EQ(p.Catalogue().entries.size(), 2u);
    EXPECT_EQ(p.Catalogue().entries[0].pszText, "おはよう①");
    EXPECT_EQ(p.Catalogue().entries[0].pszFile, "ａ.wav");
    EXPECT_EQ(p.Catalogue().entries[0].rawFile, "\x82\x81.wav");
    EXPECT_EQ(p.Catalogue().entries[1].nSoundId, 2);
    EXPECT_TRUE(m_log.empty());
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

TEST_F(PlayerTest, MissingOrUnreadableCatalogueShowsMessage102) {
    auto& p = Player();
    EXPECT_TRUE(p.Catalogue().entries.empty());
    ASSERT_EQ(m_log.size(), 1u);
    EXPECT_EQ(m_log[0], "message 102 warning: 認識語データファイルの読み込みに失敗しました -> OK");

    m_log.clear();
    testsupport::WriteFile(m_dir / "voice.csv/inside", ""); // a folder, not a file
    EXPECT_FALSE(p.LoadVoiceCsv(MODE_VOICE));
    ASSERT_EQ(m_log.size(), 1u);
    EXPECT_EQ(m_log[0],
              "message 107 warning: ティコ音声データファイルの読み込みに失敗しました -> OK");
}

TEST_F(PlayerTest, RandomBytesCatalogueLoadsWithoutHarm) {
    std::mt19937 gen(42);
    std::string bytes(20000, '\0');
    for (auto& b : bytes)
        b = static_cast<char>(gen() & 0xFF);
    testsupport::WriteFile(m_dir / "Ninshiki.csv", bytes);
    auto& p = Player();
    for (const auto& e : p.Catalogue().entries)
        EXPECT_FALSE(e.pszText.empty());
}

TEST_F(PlayerTest, LookupsFindTheFirstMatch) {
    Put("Ninshiki.csv", "h\n1,same,x,a.wav,5,1,1\n1,same,x,b.wav,5,2,1\n");
    auto& p = Player();
    ASSERT_NE(p.FindEntryByText("same"), nullptr);
    EXPECT_EQ(p.FindEntryByText("same")->pszFile, "a.wav");
    EXPECT_EQ(p.FindEntryBySoundId(5)->pszFile, "a.wav");
    EXPECT_EQ(p.FindEntryByText("other"), nullptr);
    EXPECT_EQ(p.FindEntryByText(""), nullptr);
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
