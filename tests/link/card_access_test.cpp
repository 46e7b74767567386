// The drive route: the robot's card as a folder, in what the drive_*
// scenarios and the file-fault table cannot reach: records that cannot be
// written wherever they go, and sources that are missing or empty.
#include <gtest/gtest.h>

#include <filesystem>

#include "link/link_fixture.h"

using Lines = std::vector<std::string>;

TEST_F(LinkTest, UnwritableRecordGives108) {
    // A folder where the file should be: it exists, but cannot be written.
    // The drive P that a play list names is a plain file; drive Q's record is
    // a device that takes no byte (on Windows both are drives that do not
    // exist, and fail all the same).
    const testsupport::TempDir cards;
    std::filesystem::create_directories(cards / "card/ADDON/REMOTE.LOG");
    testsupport::WriteFile(cards / "plain", "x");
    std::filesystem::create_directories(cards / "full/ADDON");
    std::error_code noLinks;
    std::filesystem::create_symlink("/dev/full", cards / "full/ADDON/REMOTE.LOG", noLinks);
    Player().WriteSetting("REMOTE", "REMOTE_DIR", cards / "card/");
    Player().WriteSetting("DRIVES", "P", cards / "plain");
    Player().WriteSetting("DRIVES", "Q", cards / "full");
    Player().LoadRemoteSettings();
    for (const std::optional<char> card :
         {std::optional<char>(), std::optional('P'), std::optional('Q')}) {
        m_log.clear();
        EXPECT_FALSE(Player().SendCardCommand(RouteSend::Record(123, 3, 100, card)))
            << card.value_or('-');
        EXPECT_EQ(m_log,
                  Lines{"message 108 none: リモートファイルの書込みに失敗しました。\\nティコと"
                        "USB接続されている事を確認してください。 -> OK"});
    }
}

TEST_F(LinkTest, CopiesThatFailLeaveTheCardAsItWas) {
    const testsupport::TempDir cards;
    const std::string card = cards / "card";
    testsupport::WriteFile(card + "/ADDON/REMOTE.LOG", "old");
    Player().WriteSetting("REMOTE", "REMOTE_DIR", card + "/");
    Player().LoadRemoteSettings();
    m_log.clear();
    const auto send = [this](const char* name) {
        return Player().SendCardFile(RouteSend::File(m_dir / name, 0));
    };
    // Missing sources: a program (117), a clip (126).
    EXPECT_FALSE(send("missing.TM4"));
    EXPECT_FALSE(send("missing.wav"));
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_TRUE(Messages()[0].starts_with("message 117 ")) << Messages()[0];
    EXPECT_TRUE(Messages()[1].starts_with("message 126 ")) << Messages()[1];
    EXPECT_EQ(testsupport::ReadFile(card + "/ADDON/REMOTE.LOG"), "old");
    // An empty file is copied as an empty file, and announced as 3 s long.
    testsupport::WriteFile(card + "/ADDON/TEMP.wav", "an older clip");
    testsupport::WriteFile(m_dir / "empty.wav", "");
    EXPECT_TRUE(send("empty.wav"));
    EXPECT_EQ(testsupport::ReadFile(card + "/ADDON/TEMP.wav"), "");
    EXPECT_EQ(linktest::Hex(testsupport::ReadFile(card + "/ADDON/REMOTE.LOG")),
              "FF FF E7 03 06 00 19 00 05 00 00 00 00 00 00 00");
}
