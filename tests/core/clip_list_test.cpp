// The clip list: which rows each category shows in each catalogue, and the
// labels and button states that go with them.
#include <gtest/gtest.h>

#include "platform/paths.h"
#include "support/player_fixture.h"

namespace {
using Lines = std::vector<std::string>;

// Row with the given category and flag columns 8..19 as a 12-character mask.
std::string Row(const std::string& text, int category, const std::string& flags) {
    std::string row = "1," + text + ",x," + text + ".wav,1,1," + std::to_string(category);
    for (char f : flags)
        row += std::string(",") + f;
    return row + "\n";
}
} // namespace

class ClipListTest : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        PutWav("voice/Ninshiki/NF01.wav");
        const std::string header = "header\n";
        Put("Ninshiki.csv", header + Row("c1", 1, "000000000000") + Row("c0", 0, "000000000000") +
                                Row("c10", 10, "000000000000") + Row("c11", 11, "000000000000") +
                                Row("photo", 0, "010000000000") + Row("walk", 0, "000000000100") +
                                Row("prog", 0, "000000000001") + Row("skip", 1, "100000000000"));
        Put("ura_voice.csv", header + Row("u-all8", 0, "000011111111") +
                                 Row("u-seven", 0, "000001111111") +
                                 Row("u-400", 0, "010000000000") + Row("u-1", 1, "000000000000"));
    }
    Lines Show(int c) {
        Player().ChangeCategory(Dialog(), c);
        return ListLines();
    }
};

TEST_F(ClipListTest, RecognitionWordCategories) {
    InitedPlayer();
    EXPECT_EQ(ListLines(), (Lines{"c1", "skip"})); // flag 0x800 still listed
    EXPECT_EQ(Show(9), Lines{"c10"});
    EXPECT_EQ(Show(10), Lines{"photo"});
    EXPECT_EQ(Show(18), Lines{"walk"}); // bit 0x004 is radio 1019
    EXPECT_EQ(Show(21), (Lines{"c0", "photo", "walk", "prog"}));
    EXPECT_EQ(Show(22), (Lines{"c1", "c0", "c10", "photo", "walk", "prog", "skip"}));
}

TEST_F(ClipListTest, HiddenCatalogueTestsItsOwnBitsAndIgnoresListDefaults) {
    Settings("[LIST]\nVOICE_DEFAULT=0\n");
    auto& p = InitedPlayer();
    ASSERT_TRUE(p.OpenHiddenCatalogue(Dialog()));
    EXPECT_EQ(ListLines(), Lines{"u-1"});
    EXPECT_EQ(Dialog().ListGetSel(ctl::kClipList), -1);
    EXPECT_EQ(Show(10), Lines{"u-all8"}); // all eight bits 0x0FF
    EXPECT_EQ(Show(21), Lines{"u-400"});  // radio 1022: bit 0x400
    EXPECT_EQ(Show(13), Lines{"u-all8"}); // bit 0x080
    EXPECT_EQ(Show(14), (Lines{"u-all8", "u-seven"}));
}

TEST_F(ClipListTest, EmptyProgramFolderListsTheFileSystemRoot) {
    // What a file chosen in the root leaves behind; its files are sent as
    // "/NAME", so the root is listed, not the current folder.
    Settings("[REMOTE]\nCONNECT_TYPE=1\nPROGRAM_FOLDER=\n");
    Put("here.TM4", "");
    Put("here.wav", "");
    InitedPlayer();
    Lines root{"他フォルダー(フォルダー変更)"};
    for (const char* ext : {"TM4", "wav"})
        for (const auto& name : platform::ListFilesWithExtension("/", ext))
            root.push_back(name);
    EXPECT_EQ(Show(20), root);
}
