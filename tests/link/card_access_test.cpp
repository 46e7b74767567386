// The drive route: the robot's card as a folder, in what the drive_*
// scenarios cannot reach: records and copies that fail on the disk.
#include <gtest/gtest.h>

#include <filesystem>

#include "link/link_fixture.h"

using Lines = std::vector<std::string>;

namespace {

class CardAccessTest : public LinkTest {
protected:
    // The player with its remote folder a card holding ADDON/REMOTE.LOG ("old").
    CVoicePlayer& On(const std::string& card) {
        testsupport::WriteFile(card + "/ADDON/REMOTE.LOG", "old");
        Player().WriteSetting("REMOTE", "REMOTE_DIR", card + "/");
        Player().LoadRemoteSettings();
        m_log.clear();
        return Player();
    }
    bool SendFile(const std::string& name) { return Player().SendCardFile(m_dir / name, Dialog()); }
    // The messages, each cut to its id.
    Lines MessageIds() const {
        Lines ids;
        for (const auto& m : Messages())
            ids.push_back(m.substr(0, m.find(' ', 8)));
        return ids;
    }

    testsupport::TempDir m_cards;
};

} // namespace

TEST_F(CardAccessTest, UnwritableRecordGives108) {
    // A folder where the file should be: it exists, but cannot be written.
    const std::string card = m_cards.Path() + "/card";
    std::filesystem::create_directories(card + "/ADDON/REMOTE.LOG");
    testsupport::WriteFile(m_cards.Path() + "/plain", "x");
    Player().WriteSetting("REMOTE", "REMOTE_DIR", card + "/");
    Player().LoadRemoteSettings();
    for (const std::optional<std::string>& path :
         {std::optional<std::string>(),
          std::optional<std::string>(m_cards.Path() + "/plain/ADDON/REMOTE.LOG"),
          std::optional<std::string>("/dev/full")}) {
        m_log.clear();
        EXPECT_FALSE(Player().SendCardCommand(path, 123, 3, 100)) << path.value_or("remote folder");
        EXPECT_EQ(m_log,
                  Lines{"message 108 none: リモートファイルの書込みに失敗しました。\\nティコと"
                        "USB接続されている事を確認してください。 -> OK"});
    }
}

TEST_F(CardAccessTest, CopiesThatFailLeaveTheCardAsItWas) {
    const std::string card = m_cards.Path() + "/card";
    On(card);
    // Missing sources: a program (117), a clip (126).
    EXPECT_FALSE(SendFile("missing.TM4"));
    EXPECT_FALSE(SendFile("missing.wav"));
    EXPECT_EQ(MessageIds(), (Lines{"message 117", "message 126"}));
    EXPECT_EQ(testsupport::ReadFile(card + "/ADDON/REMOTE.LOG"), "old");
    // An empty file is copied as an empty file, and announced as 3 s long.
    testsupport::WriteFile(card + "/ADDON/TEMP.wav", "an older clip");
    testsupport::WriteFile(m_dir / "empty.wav", "");
    Dialog().TrackSetPos(ctl::kVolume, 100);
    EXPECT_TRUE(SendFile("empty.wav"));
    EXPECT_EQ(testsupport::ReadFile(card + "/ADDON/TEMP.wav"), "");
    EXPECT_EQ(linktest::Hex(testsupport::ReadFile(card + "/ADDON/REMOTE.LOG")),
              "FF FF E7 03 06 00 19 00 05 00 00 00 00 00 00 00");
}

TEST_F(CardAccessTest, CopyOntoAFullCardLeavesNoPartialFile) {
    testsupport::SmallTmpfs card; // 16 KiB
    if (!card.SkipReason().empty())
        GTEST_SKIP() << card.SkipReason();
    testsupport::WriteFile(m_dir / "clip.wav", std::string(40000, 'w'));
    On(card.Path());
    EXPECT_FALSE(SendFile("clip.wav"));
    EXPECT_EQ(MessageIds(), Lines{"message 126"});
    EXPECT_EQ(card.Names("ADDON"), Lines{"REMOTE.LOG"}); // no TEMP.wav, no temporary file
    EXPECT_EQ(testsupport::ReadFile(card.Path() + "/ADDON/REMOTE.LOG"), "old");
}
