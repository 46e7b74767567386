// The drive route: the robot's card as a folder. Cards are
// temporary folders; drive letters map to folders through [DRIVES].
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "link/link_fixture.h"

using linktest::Hex;
using testsupport::Native;
namespace fs = std::filesystem;

namespace {

const std::string kChooserTail = " filter=ﾘﾓｰﾄﾌｧｲﾙ|REMOTE.LOG||";
const std::string kMessage108 =
    "message 108 none: "
    "リモートファイルの書込みに失敗しました。\\nティコとUSB接続されている事を確認して"
    "ください。 -> OK";
const std::string kVoice = "FF FF 7B 00 06 00 19 00 00 00 00 00 00 00 00 00";
using Lines = std::vector<std::string>;

class CardAccessTest : public LinkTest {
protected:
    // A card folder: ADDON/, optionally with REMOTE.LOG and the voice player.
    std::string MakeCard(const std::string& name, bool remoteLog = true, bool player = false) {
        const std::string root = m_cards.Path() + "/" + name;
        fs::create_directories(root + "/ADDON");
        if (remoteLog)
            testsupport::WriteFile(root + "/ADDON/REMOTE.LOG", "old");
        if (player)
            testsupport::WriteFile(root + "/ADDON/音声再生.TM4", "player");
        return root;
    }
    std::string Log(const std::string& root) {
        return testsupport::ReadFile(root + "/ADDON/REMOTE.LOG");
    }
    bool Logged(const std::string& line) const {
        return std::find(m_log.begin(), m_log.end(), line) != m_log.end();
    }
    int Count(const std::string& prefix) const {
        return static_cast<int>(std::count_if(
            m_log.begin(), m_log.end(), [&](const auto& l) { return l.rfind(prefix, 0) == 0; }));
    }
    // The player in the mode and model given, its remote folder root + "/"
    // (left as it is when root is empty); the log of these steps is dropped.
    CVoicePlayer& On(const std::string& root, int model = 2, int mode = MODE_VOICE) {
        Player().SetModel(model);
        InMode(mode);
        if (!root.empty())
            RemoteDir(root + "/");
        m_log.clear();
        return Player();
    }
    // The remote folder as the settings file gives it.
    void RemoteDir(const std::string& dir) {
        Player().WriteSetting("REMOTE", "REMOTE_DIR", dir);
        Player().LoadRemoteSettings();
        m_log.clear();
    }
    bool Command(std::optional<std::string> overridePath = std::nullopt, int volume = 100) {
        return Player().SendCardCommand(overridePath, 123, 3, static_cast<std::int16_t>(volume));
    }
    bool SendFile(const std::string& name) { return Player().SendCardFile(m_dir / name, Dialog()); }
    // A clip file below the working folder (see linktest::Clip).
    void PutClip(const std::string& name, std::int32_t chunk = 352836, std::int32_t rate = 176400) {
        testsupport::WriteFile(m_dir / name, linktest::Clip(chunk, rate));
    }

    testsupport::TempDir m_cards;
};

} // namespace

TEST_F(CardAccessTest, PlayerProgramIsLookedForOnTheMainCard) {
    if (testsupport::WindowsBuild())
        GTEST_SKIP() << "[DRIVES] maps drive letters on POSIX only; Windows has real drives";
    const std::string main = MakeCard("main", true, true);
    const std::string target = MakeCard("e", false, false);
    Settings("[DRIVES]\nE=" + target + "\n");
    On(main, 1);
    EXPECT_TRUE(Command("E:\\ADDON\\REMOTE.LOG"));
    EXPECT_EQ(Hex(Log(target)), kVoice);
    EXPECT_EQ(Log(main), "old");
    // The other way round: the target has the program, the main card has not.
    testsupport::WriteFile(target + "/ADDON/音声再生.TM4", "player");
    On(MakeCard("bare", true, false), 1);
    EXPECT_FALSE(Command("E:\\ADDON\\REMOTE.LOG"));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("message 118", 0), 0u);
}

TEST_F(CardAccessTest, OverridePathIsWrittenWithoutARemoteFolder) {
    const std::string card = MakeCard("card", false);
    EXPECT_EQ(On("").Link().remoteDir, "");
    EXPECT_TRUE(Command(card + "/ADDON/REMOTE.LOG"));
    EXPECT_EQ(Hex(Log(card)), kVoice); // created
    EXPECT_EQ(Count("file-open") + Count("ini write"), 0);
    EXPECT_EQ(Player().Link().remoteDir, "");
}

TEST_F(CardAccessTest, UnwritableRecordGives108) {
    // A folder where the file should be: it exists, but cannot be written.
    const std::string card = m_cards.Path() + "/card";
    fs::create_directories(card + "/ADDON/REMOTE.LOG");
    testsupport::WriteFile(m_cards.Path() + "/plain", "x");
    On(card);
    for (const std::optional<std::string>& path :
         {std::optional<std::string>(), std::optional<std::string>("G:\\ADDON\\REMOTE.LOG"),
          std::optional<std::string>(m_cards.Path() + "/plain/ADDON/REMOTE.LOG"),
          std::optional<std::string>("/dev/full")}) {
        m_log.clear();
        EXPECT_FALSE(Command(path)) << path.value_or("remote folder");
        EXPECT_EQ(Messages(), Lines{kMessage108}) << path.value_or("remote folder");
        EXPECT_EQ(Count("ini write"), 0);
    }
}

TEST_F(CardAccessTest, FailingSecondCardIsSkippedSilently) {
    const std::string card = MakeCard("card");
    const std::string bare = m_cards.Path() + "/bare";
    fs::create_directories(bare);
    // F unmapped, then mapped to a folder without ADDON.
    for (const std::string& drives : {std::string(), "[DRIVES]\nF=" + bare + "\n"}) {
        m_player.reset();
        Settings("[REMOTE]\nALTERNAME_DRIVE=F\n" + drives);
        On(card);
        EXPECT_TRUE(Command()) << drives;
        EXPECT_TRUE(Messages().empty()) << drives;
        EXPECT_TRUE(Logged("ini write [REMOTE] REMOTE_DIR=" + card + "/"));
    }
    EXPECT_FALSE(fs::exists(bare + "/ADDON"));
}

TEST_F(CardAccessTest, AnEmptyFileIsCopiedAsAnEmptyFile) {
    const std::string card = MakeCard("card");
    testsupport::WriteFile(card + "/ADDON/TEMP.wav", "an older clip");
    testsupport::WriteFile(m_dir / "empty.wav", "");
    On(card);
    Dialog().TrackSetPos(ctl::kVolume, 100);
    EXPECT_TRUE(SendFile("empty.wav"));
    EXPECT_EQ(testsupport::ReadFile(card + "/ADDON/TEMP.wav"), "");
    EXPECT_EQ(Hex(Log(card)), "FF FF E7 03 06 00 19 00 05 00 00 00 00 00 00 00"); // 3 s
}

TEST_F(CardAccessTest, SendCardFileChooserUsesTheParentRuleAndLetsTheCommandTestTheCard) {
    const std::string bare = MakeCard("bare", false);
    PutClip("clip.wav");
    auto& player = On("");
    m_prompts->QueueChoice(std::nullopt);
    EXPECT_FALSE(SendFile("clip.wav"));
    EXPECT_TRUE(Messages().empty());
    // The chosen REMOTE.LOG does not exist, its ADDON folder does: the clip is
    // copied, then SendCardCommand asks again.
    m_prompts->QueueChoice(bare + "/ADDON/REMOTE.LOG");
    m_prompts->QueueChoice(std::nullopt);
    EXPECT_FALSE(SendFile("clip.wav"));
    EXPECT_EQ(player.Link().remoteDir, Native(bare + "/"));
    EXPECT_TRUE(fs::exists(bare + "/ADDON/TEMP.wav"));
    EXPECT_EQ(Count(Native("file-open defext=LOG initial=ADDON/REMOTE.LOG")), 2);
    EXPECT_EQ(Count("file-open defext=LOG initial=REMOTE.LOG"), 1);
    EXPECT_EQ(Count("ini write"), 0);
}

TEST_F(CardAccessTest, FailedCopiesGive117And126) {
    const std::string card = MakeCard("card");
    On(card);
    EXPECT_FALSE(SendFile("missing.TM4"));
    EXPECT_FALSE(SendFile("missing.wav"));
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].rfind("message 117 none: プログラムのコピーに失敗しました。", 0), 0u);
    EXPECT_EQ(messages[1].rfind("message 126 none: 音声ファイルのコピーに失敗しました。", 0), 0u);
    EXPECT_EQ(Log(card), "old");
    // A card without ADDON folder.
    m_log.clear();
    const std::string bare = m_cards.Path() + "/noaddon";
    fs::create_directories(bare);
    PutClip("clip.wav");
    auto& player = Player();
    RemoteDir("");
    m_prompts->QueueChoice(bare + "/ADDON/REMOTE.LOG");
    EXPECT_FALSE(SendFile("clip.wav"));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("message 126", 0), 0u);
    EXPECT_EQ(player.Link().remoteDir, Native(bare + "/")); // as the chooser set it
}

TEST_F(CardAccessTest, CopyOntoAFullCardLeavesNoPartialFile) {
    testsupport::SmallTmpfs card; // 16 KiB
    if (!card.SkipReason().empty())
        GTEST_SKIP() << card.SkipReason();
    testsupport::WriteFile(card.Path() + "/ADDON/REMOTE.LOG", "old");
    testsupport::WriteFile(m_dir / "clip.wav", std::string(40000, 'w'));
    On(card.Path());
    EXPECT_FALSE(SendFile("clip.wav"));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("message 126", 0), 0u);
    EXPECT_EQ(card.Names("ADDON"), Lines{"REMOTE.LOG"}); // no TEMP.wav, no temporary file
    EXPECT_EQ(Log(card.Path()), "old");
}

TEST_F(CardAccessTest, SelectRemoteFileStoresTheParentWithoutTestingIt) {
    auto& player = Player();
    RemoteDir("/old/");
    m_prompts->QueueChoice(std::nullopt);
    player.SelectRemoteFile();
    EXPECT_TRUE(Logged("file-open defext=LOG initial=/old/" + Native("ADDON/REMOTE.LOG") +
                       kChooserTail + " -> cancel"));
    EXPECT_EQ(player.Link().remoteDir, "/old/");
    EXPECT_EQ(Count("ini write"), 0);
    const std::pair<std::string, std::string> choices[] = {
        {"/nowhere/card/ADDON/REMOTE.LOG", "/nowhere/card/"},
        {"/REMOTE.LOG", ""}, // at a root
        {"C:\\Card\\ADDON\\REMOTE.LOG", "C:/Card/"},
        {"E:\\REMOTE.LOG", ""},
    };
    for (const auto& [choice, dir] : choices) {
        RemoteDir("/old/");
        m_prompts->QueueChoice(choice);
        player.SelectRemoteFile();
        EXPECT_EQ(player.Link().remoteDir, Native(dir)) << choice;
        EXPECT_EQ(m_log.back(), "ini write [REMOTE] REMOTE_DIR=" + Native(dir)) << choice;
    }
    EXPECT_TRUE(Messages().empty());
}
