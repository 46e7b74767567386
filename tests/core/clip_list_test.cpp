// The program category with an empty program folder (the scenario
// clip_list_flags holds which rows each category lists).
#include <gtest/gtest.h>

#include "platform/paths.h"
#include "support/player_fixture.h"

TEST_F(PlayerTest, EmptyProgramFolderListsTheFileSystemRoot) {
    // What a file chosen in the root leaves behind; its files are sent as
    // "/NAME", so the root is listed, not the current folder.
    PutWav("voice/Ninshiki/NF01.wav");
    Put("Ninshiki.csv", "h\n");
    Settings("[REMOTE]\nCONNECT_TYPE=1\nPROGRAM_FOLDER=\n");
    Put("here.TM4", "");
    Put("here.wav", "");
    InitedPlayer();
    std::vector<std::string> root{"他フォルダー(フォルダー変更)"};
    for (const char* ext : {"TM4", "wav"})
        for (const auto& name : platform::ListFilesWithExtension("/", ext))
            root.push_back(name);
    Player().ChangeCategory(Dialog(), 20);
    EXPECT_EQ(ListLines(), root);
}
