// Catalogue rows and files: which rows are taken, what each field holds, and
// how the loader copes with odd files.
#include <gtest/gtest.h>

#include <random>

#include "core/catalogue.h"
#include "support/player_fixture.h"

namespace {

VoiceEntry Parse(std::string_view row, unsigned mask = 1) {
    VoiceEntry e;
    EXPECT_EQ(ParseCatalogueRow(row, mask, e), RowResult::Taken) << row;
    return e;
}

bool Taken(std::string_view row, unsigned mask) {
    VoiceEntry e;
    return ParseCatalogueRow(row, mask, e) == RowResult::Taken;
}

} // namespace

TEST(CatalogueRow, VoiceSetColumnAgainstMask) {
    EXPECT_TRUE(Taken(",t,x,f.wav,1,2,3\n", 0)); // empty first column: always
    EXPECT_FALSE(Taken("0,t,x,f.wav,1,2,3\n", 0xFF));
    EXPECT_FALSE(Taken("abc,t,x,f.wav,1,2,3\n", 0xFF));
    EXPECT_TRUE(Taken("3,t,x,f.wav,1,2,3\n", 1));
    EXPECT_FALSE(Taken("2,t,x,f.wav,1,2,3\n", 1));
    EXPECT_TRUE(Taken("32,t,x,f.wav,1,2,3\n", 0x20));
}

TEST(CatalogueRow, FieldsAreCopiedAndTruncatedToTheirWidths) {
    auto e = Parse("1,text,extra,sub\\f.wav,70000,-3,256\n");
    EXPECT_EQ(e.pszText, "text");
    EXPECT_EQ(e.pszExtra, "extra");
    EXPECT_EQ(e.pszFile, "sub\\f.wav");
    EXPECT_EQ(e.nSoundId, 4464);
    EXPECT_EQ(e.nSeconds, -3);
    EXPECT_EQ(e.byCategory, 0);
    EXPECT_EQ(e.wFlags, 0);
    // Blanks are kept, numbers read like atoi.
    e = Parse("1, a b ,x,f, 12abc,  7 ,3\n");
    EXPECT_EQ(e.pszText, " a b ");
    EXPECT_EQ(e.nSoundId, 12);
    EXPECT_EQ(e.nSeconds, 7);
}

TEST(CatalogueRow, FlagsAreShiftedInFromColumnEight) {
    EXPECT_EQ(Parse("1,t,x,f,1,1,0,1,0,0,0,0,0,0,0,0,0,0,1\n").wFlags, 0x801);
    EXPECT_EQ(Parse("1,t,x,f,1,1,0,1,1,0\n").wFlags, 0x006);
    EXPECT_EQ(Parse("1,t,x,f,1,1,0,10\n").wFlags, 0x001); // "10" starts with 1
    EXPECT_EQ(Parse("1,t,x,f,1,1,0, 1\n").wFlags, 0x000); // blank first: 0
    // Columns after the 19th are ignored.
    EXPECT_EQ(Parse("1,t,x,f,1,1,0,1,1,1,1,1,1,1,1,1,1,1,1,1,1\n").wFlags, 0xFFF);
}

TEST(CatalogueRow, IncompleteRowsAreSkipped) {
    VoiceEntry e;
    EXPECT_EQ(ParseCatalogueRow("1\n", 1, e), RowResult::Skipped);
    EXPECT_EQ(ParseCatalogueRow(",,x,f,1,1,1\n", 1, e), RowResult::Skipped); // empty text
    EXPECT_EQ(ParseCatalogueRow("1,t,x,f,1,1\n", 1, e), RowResult::Skipped); // six columns
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
    ASSERT_EQ(p.m_nVoiceCount, 2);
    EXPECT_EQ(p.m_pVoices[0].pszText, "おはよう①");
    EXPECT_EQ(p.m_pVoices[0].pszFile, "ａ.wav");
    EXPECT_EQ(p.m_pVoices[0].rawFile, "\x82\x81.wav");
    EXPECT_EQ(p.m_pVoices[1].nSoundId, 2);
    EXPECT_TRUE(m_log.empty());
}

TEST_F(PlayerTest, LongLinesBecomeSeveralRowsHeaderIncluded) {
    // A 300-byte header: its first 255 bytes are skipped, its rest is a row.
    std::string header = "1,rest-of-header,x,h.wav,5,1," + std::string(300 - 29, 'h') + "\n";
    std::string longRow = "1,long,x,f.wav,7,1,1," + std::string(233, 'y') + "1,0,1,1\n";
    Put("Ninshiki.csv", std::string(255, 'h') + header + longRow);
    auto& p = Player();
    // The header's continuation is taken as a row.
    ASSERT_EQ(p.m_nVoiceCount, 2);
    EXPECT_EQ(p.m_pVoices[0].pszText, "rest-of-header");
    EXPECT_EQ(p.m_pVoices[1].pszText, "long");
    EXPECT_EQ(p.m_pVoices[1].wFlags, 0);
    // Its remainder ",0,1,1" did not become a row (column 1 empty but only
    // four columns), and the flags were not read from beyond byte 255.
}

TEST_F(PlayerTest, MissingOrUnreadableCatalogueShowsMessage102) {
    auto& p = Player();
    EXPECT_EQ(p.m_nVoiceCount, 0);
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
    std::string bytes(200000, '\0');
    for (auto& b : bytes)
        b = static_cast<char>(gen() & 0xFF);
    testsupport::WriteFile(m_dir / "Ninshiki.csv", bytes);
    auto& p = Player();
    EXPECT_EQ(p.m_nVoiceCount, static_cast<int>(p.m_pVoices.size()));
    for (const auto& e : p.m_pVoices)
        EXPECT_FALSE(e.pszText.empty());
}

TEST_F(PlayerTest, LargeCatalogueLoadsWhole) {
    std::string text = "header\r\n";
    for (int i = 0; i < 100000; ++i)
        text += "1,clip" + std::to_string(i) + ",x,c.wav," + std::to_string(i % 30000) + ",1,1\r\n";
    testsupport::WriteFile(m_dir / "Ninshiki.csv", text);
    auto& p = Player();
    ASSERT_EQ(p.m_nVoiceCount, 100000);
    EXPECT_EQ(p.m_pVoices.back().pszText, "clip99999");
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
    ASSERT_EQ(p.m_nVoiceCount, 2);
    EXPECT_NE(p.m_pVoices[0].pszText, p.m_pVoices[1].pszText);
    for (const auto& e : p.m_pVoices)
        EXPECT_EQ(p.FindEntryByText(e.pszText)->pszFile, e.pszFile);
}

TEST_F(PlayerTest, EntryCopiedBeforeTheTableIsFreedKeepsItsTexts) {
    Put("Ninshiki.csv", "h\n1,おはよう,x,ａ.wav,1,2,1\n");
    auto& p = Player();
    ASSERT_EQ(p.m_nVoiceCount, 1);
    VoiceEntry copy = p.m_pVoices[0];
    copy = p.m_pVoices[0];
    p.FreeVoices();
    EXPECT_EQ(copy.pszText, "おはよう");
    EXPECT_EQ(copy.rawFile, "\x82\x81.wav");
}
