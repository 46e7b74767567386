// The drive route: the robot's card as a folder. Cards are
// temporary folders; drive letters map to folders through [DRIVES].
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "link/link_fixture.h"

using linktest::Hex;

namespace {

const std::string kChooserTail = " filter=ﾘﾓｰﾄﾌｧｲﾙ|REMOTE.LOG||";
const std::string kMessage108 =
    "message 108 none: "
    "リモートファイルの書込みに失敗しました。\\nティコとUSB接続されている事を確認して"
    "ください。 -> OK";
const std::string kRecordVoice123 = "FF FF 7B 00 06 00 19 00 00 00 00 00 00 00 00 00";

class CardAccessTest : public LinkTest {
protected:
    // A card folder: ADDON/, optionally with REMOTE.LOG and the voice player.
    std::string MakeCard(const std::string& name, bool remoteLog = true, bool player = false) {
        const std::string root = m_cards.Path() + "/" + name;
        std::filesystem::create_directories(root + "/ADDON");
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
    // A player in voice mode of model 2 (no voice-player test) unless told.
    CVoicePlayer& VoicePlayer(int model = 2) {
        auto& player = Player();
        player.m_nMode = MODE_VOICE;
        player.m_nTikoModel = model;
        return player;
    }
    std::string Clip(std::int32_t chunk, std::int32_t rate) {
        std::string wav = testsupport::MakeWav(8000, 80);
        for (int i = 0; i < 4; ++i) {
            wav[4 + static_cast<std::size_t>(i)] =
                static_cast<char>((static_cast<std::uint32_t>(chunk) >> (8 * i)) & 0xFF);
            wav[28 + static_cast<std::size_t>(i)] =
                static_cast<char>((static_cast<std::uint32_t>(rate) >> (8 * i)) & 0xFF);
        }
        return wav;
    }

    testsupport::TempDir m_cards;
};

} // namespace

TEST_F(CardAccessTest, PresentRemoteLogIsWrittenWithoutDialog) {
    const std::string card = MakeCard("card");
    auto& player = VoicePlayer();
    player.m_strRemoteDir = card + "/";
    EXPECT_TRUE(player.SendCardCommand(std::nullopt, 123, 3, 100));
    EXPECT_EQ(Hex(Log(card)), kRecordVoice123);
    EXPECT_EQ(Count("file-open"), 0);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(Logged("ini write [REMOTE] REMOTE_DIR=" + card + "/"));
    EXPECT_NE(SettingsText().find("REMOTE_DIR=" + card + "/"), std::string::npos);
}

TEST_F(CardAccessTest, RemoteDirFromTheSettings) {
    const std::string card = MakeCard("card");
    Settings("[REMOTE]\nREMOTE_DIR=" + card + "/\n");
    auto& player = VoicePlayer();
    EXPECT_TRUE(player.SendCardCommand(std::nullopt, 123, 3, 0));
    EXPECT_EQ(Hex(Log(card)), "FF FF 7B 00 06 00 19 00 05 00 00 00 00 00 00 00");
}

TEST_F(CardAccessTest, RemoteLogFoundWithoutRegardToCase) {
    const std::string card = m_cards.Path() + "/card";
    testsupport::WriteFile(card + "/addon/Remote.Log", "old");
    auto& player = VoicePlayer();
    player.m_strRemoteDir = card + "/";
    EXPECT_TRUE(player.SendCardCommand(std::nullopt, 123, 3, 100));
    EXPECT_EQ(Hex(testsupport::ReadFile(card + "/addon/Remote.Log")), kRecordVoice123);
    EXPECT_FALSE(std::filesystem::exists(card + "/ADDON"));
}

TEST_F(CardAccessTest, DriveLetterRemoteDirMapsThroughDrives) {
    const std::string card = MakeCard("card");
    Settings("[REMOTE]\nREMOTE_DIR=E:\\\n[DRIVES]\nE=" + card + "\n");
    auto& player = VoicePlayer();
    EXPECT_EQ(player.m_strRemoteDir, "E:\\");
    EXPECT_TRUE(player.SendCardCommand(std::nullopt, 123, 3, 100));
    EXPECT_EQ(Hex(Log(card)), kRecordVoice123);
    EXPECT_EQ(Count("file-open"), 0);
}

TEST_F(CardAccessTest, MissingRemoteLogOpensTheChooser) {
    const std::string card = MakeCard("card");
    auto& player = VoicePlayer();
    player.m_strRemoteDir = MakeCard("other", false) + "/";
    m_prompts->QueueChoice(card + "/ADDON/REMOTE.LOG");
    EXPECT_TRUE(player.SendCardCommand(std::nullopt, 123, 3, 100));
    EXPECT_TRUE(Logged("file-open defext=LOG initial=REMOTE.LOG" + kChooserTail + " -> " + card +
                       "/ADDON/REMOTE.LOG"));
    EXPECT_EQ(player.m_strRemoteDir, card + "/"); // the parent rule
    EXPECT_EQ(Hex(Log(card)), kRecordVoice123);
    EXPECT_TRUE(Logged("ini write [REMOTE] REMOTE_DIR=" + card + "/"));
}

TEST_F(CardAccessTest, EmptyRemoteDirAlwaysOpensTheChooser) {
    auto& player = VoicePlayer();
    m_prompts->QueueChoice(std::nullopt);
    EXPECT_FALSE(player.SendCardCommand(std::nullopt, 123, 3, 100));
    EXPECT_TRUE(Logged("file-open defext=LOG initial=REMOTE.LOG" + kChooserTail + " -> cancel"));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Count("ini write"), 0);
}

TEST_F(CardAccessTest, ChosenRemoteLogThatDoesNotExistGives116) {
    const std::string card = MakeCard("card", false);
    auto& player = VoicePlayer();
    m_prompts->QueueChoice(card + "/ADDON/REMOTE.LOG");
    EXPECT_FALSE(player.SendCardCommand(std::nullopt, 123, 3, 100));
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{
                  "message 116 none: REMOTE.LOGファイルが見つかりません。\\nこのファイルをティコSD"
                  "カードのADDONフォルダーにコピーしておいてください。 -> OK"}));
    EXPECT_EQ(player.m_strRemoteDir, "");
    EXPECT_FALSE(std::filesystem::exists(card + "/ADDON/REMOTE.LOG"));
}

TEST_F(CardAccessTest, VoiceOfModelOneNeedsThePlayerProgram) {
    const std::string card = MakeCard("card");
    auto& player = VoicePlayer(1);
    player.m_strRemoteDir = card + "/";
    EXPECT_FALSE(player.SendCardCommand(std::nullopt, 123, 3, 100));
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "message 118 none: ティコで音声を再生するにはティコに音声再生プログラ"
                              "ム(音声再生xxxx.TM4)をコピーしてください。 -> OK"}));
    EXPECT_EQ(Log(card), "old");
    EXPECT_EQ(Count("ini write"), 0);

    testsupport::WriteFile(card + "/ADDON/音声再生.TM4", "player");
    EXPECT_TRUE(player.SendCardCommand(std::nullopt, 123, 3, 100));
    EXPECT_EQ(Hex(Log(card)), kRecordVoice123);
}

TEST_F(CardAccessTest, RecognitionModeOfModelOneNeedsNoPlayerProgram) {
    const std::string card = MakeCard("card");
    auto& player = Player();
    player.m_nMode = MODE_NINSHIKI;
    player.m_nTikoModel = 1;
    player.m_strRemoteDir = card + "/";
    EXPECT_TRUE(player.SendCardCommand(std::nullopt, 123, 3, 100));
    EXPECT_EQ(Hex(Log(card)), "FE FF 7B 00 00 00 00 00 00 00 00 00 00 00 00 00");
}

TEST_F(CardAccessTest, OverridePathIsWrittenDirectly) {
    const std::string card = MakeCard("card", false);
    auto& player = VoicePlayer();
    EXPECT_TRUE(player.SendCardCommand(card + "/ADDON/REMOTE.LOG", 123, 3, 100));
    EXPECT_EQ(Hex(Log(card)), kRecordVoice123); // created
    EXPECT_EQ(Count("file-open"), 0);
    EXPECT_EQ(Count("ini write"), 0);
    EXPECT_EQ(player.m_strRemoteDir, "");
}

TEST_F(CardAccessTest, OverrideDriveLetterMapsThroughDrives) {
    const std::string card = MakeCard("e", false);
    Settings("[DRIVES]\nE=" + card + "\n");
    auto& player = VoicePlayer();
    EXPECT_TRUE(player.SendCardCommand(std::string("E:\\ADDON\\REMOTE.LOG"), 123, 3, 100));
    EXPECT_EQ(Hex(Log(card)), kRecordVoice123);
    EXPECT_EQ(Count("ini write"), 0);
}

TEST_F(CardAccessTest, OverrideWithUnmappedLetterGives108) {
    auto& player = VoicePlayer();
    EXPECT_FALSE(player.SendCardCommand(std::string("G:\\ADDON\\REMOTE.LOG"), 123, 3, 100));
    EXPECT_EQ(Messages(), (std::vector<std::string>{kMessage108}));
}

TEST_F(CardAccessTest, PlayerProgramIsLookedForOnTheMainCard) {
    const std::string main = MakeCard("main", true, true);
    const std::string target = MakeCard("e", false, false);
    Settings("[DRIVES]\nE=" + target + "\n");
    auto& player = VoicePlayer(1);
    player.m_strRemoteDir = main + "/";
    EXPECT_TRUE(player.SendCardCommand(std::string("E:\\ADDON\\REMOTE.LOG"), 123, 3, 100));
    EXPECT_EQ(Hex(Log(target)), kRecordVoice123);
    EXPECT_EQ(Log(main), "old");

    // The other way round: the target has the program, the main card has not.
    const std::string bare = MakeCard("bare", true, false);
    testsupport::WriteFile(target + "/ADDON/音声再生.TM4", "player");
    player.m_strRemoteDir = bare + "/";
    EXPECT_FALSE(player.SendCardCommand(std::string("E:\\ADDON\\REMOTE.LOG"), 123, 3, 100));
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("message 118"), std::string::npos);
}

TEST_F(CardAccessTest, SecondCardOfAlternateDrive) {
    const std::string card = MakeCard("card");
    const std::string second = MakeCard("f", false);
    Settings("[REMOTE]\nALTERNAME_DRIVE=F\n[DRIVES]\nF=" + second + "\n");
    auto& player = VoicePlayer();
    player.m_strRemoteDir = card + "/";
    EXPECT_TRUE(player.SendCardCommand(std::nullopt, 123, 3, 100));
    EXPECT_EQ(Hex(Log(card)), kRecordVoice123);
    EXPECT_EQ(Hex(Log(second)), kRecordVoice123);
}

TEST_F(CardAccessTest, SecondCardWithOverridePath) {
    const std::string e = MakeCard("e", true);
    const std::string f = MakeCard("f", false);
    Settings("[REMOTE]\nALTERNAME_DRIVE=F\n[DRIVES]\nE=" + e + "\nF=" + f + "\n");
    auto& player = VoicePlayer();
    EXPECT_TRUE(player.SendCardCommand(std::string("E:\\ADDON\\REMOTE.LOG"), 123, 3, 100));
    EXPECT_EQ(Hex(Log(e)), kRecordVoice123);
    EXPECT_EQ(Hex(Log(f)), kRecordVoice123);
}

TEST_F(CardAccessTest, FailingSecondCardIsSkippedSilently) {
    const std::string card = MakeCard("card");
    // F unmapped.
    Settings("[REMOTE]\nALTERNAME_DRIVE=F\n");
    {
        auto& player = VoicePlayer();
        player.m_strRemoteDir = card + "/";
        EXPECT_TRUE(player.SendCardCommand(std::nullopt, 123, 3, 100));
        EXPECT_TRUE(Messages().empty());
    }
    // F mapped to a folder without ADDON.
    m_player.reset();
    const std::string bare = m_cards.Path() + "/bare";
    std::filesystem::create_directories(bare);
    Settings("[REMOTE]\nALTERNAME_DRIVE=F\n[DRIVES]\nF=" + bare + "\n");
    auto& player = VoicePlayer();
    player.m_strRemoteDir = card + "/";
    EXPECT_TRUE(player.SendCardCommand(std::nullopt, 123, 3, 100));
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(std::filesystem::exists(bare + "/ADDON"));
    EXPECT_TRUE(Logged("ini write [REMOTE] REMOTE_DIR=" + card + "/"));
}

TEST_F(CardAccessTest, UnwritableRemoteLogGives108) {
    // A folder where the file should be: it exists, but cannot be written.
    const std::string card = m_cards.Path() + "/card";
    std::filesystem::create_directories(card + "/ADDON/REMOTE.LOG");
    auto& player = VoicePlayer();
    player.m_strRemoteDir = card + "/";
    EXPECT_FALSE(player.SendCardCommand(std::nullopt, 123, 3, 100));
    EXPECT_EQ(Messages(), (std::vector<std::string>{kMessage108}));
    EXPECT_EQ(Count("ini write"), 0);
}

TEST_F(CardAccessTest, OverrideBelowARegularFileGives108) {
    testsupport::WriteFile(m_cards.Path() + "/plain", "x");
    auto& player = VoicePlayer();
    EXPECT_FALSE(player.SendCardCommand(m_cards.Path() + "/plain/ADDON/REMOTE.LOG", 123, 3, 100));
    EXPECT_EQ(Messages(), (std::vector<std::string>{kMessage108}));
}

TEST_F(CardAccessTest, FullDiskGives108) {
    auto& player = VoicePlayer();
    EXPECT_FALSE(player.SendCardCommand(std::string("/dev/full"), 123, 3, 100));
    EXPECT_EQ(Messages(), (std::vector<std::string>{kMessage108}));
}

TEST_F(CardAccessTest, ProgramIsCopiedAndAnnounced) {
    const std::string card = MakeCard("card");
    testsupport::WriteFile(m_dir / "prog/Walk.TM4", "<program>");
    auto& player = Player();
    player.m_nMode = MODE_NINSHIKI;
    player.m_strRemoteDir = card + "/";
    EXPECT_TRUE(player.SendCardFile(m_dir / "prog/Walk.TM4", Dialog()));
    EXPECT_EQ(testsupport::ReadFile(card + "/ADDON/TEMP.TM4"), "<program>");
    EXPECT_EQ(Hex(Log(card)), "FE FF 88 03 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(CardAccessTest, ExistingTempFilesAreReplaced) {
    const std::string card = MakeCard("card");
    testsupport::WriteFile(card + "/ADDON/TEMP.TM4", "a much longer previous program");
    testsupport::WriteFile(m_dir / "p.tm4", "new");
    auto& player = Player();
    player.m_strRemoteDir = card + "/";
    EXPECT_TRUE(player.SendCardFile(m_dir / "p.tm4", Dialog()));
    EXPECT_EQ(testsupport::ReadFile(card + "/ADDON/TEMP.TM4"), "new");
}

TEST_F(CardAccessTest, ClipIsCopiedWithItsLengthAndVolume) {
    const std::string card = MakeCard("card");
    const std::string clip = Clip(352836, 176400);
    testsupport::WriteFile(m_dir / "prog/clip.wav", clip);
    auto& player = VoicePlayer();
    player.m_strRemoteDir = card + "/";
    Dialog().TrackSetPos(ctl::kVolume, 100); // the bottom: V = 0
    EXPECT_TRUE(player.SendCardFile(m_dir / "prog/clip.wav", Dialog()));
    EXPECT_EQ(testsupport::ReadFile(card + "/ADDON/TEMP.wav"), clip);
    EXPECT_EQ(Hex(Log(card)), "FF FF E7 03 06 00 19 00 05 00 00 00 00 00 00 00");
}

TEST_F(CardAccessTest, ShortOrRatelessClipIsThreeSeconds) {
    const std::string card = MakeCard("card");
    testsupport::WriteFile(m_dir / "short.wav", "RIFF");
    testsupport::WriteFile(m_dir / "norate.wav", Clip(352836 * 5, 0));
    auto& player = VoicePlayer();
    player.m_strRemoteDir = card + "/";
    Dialog().TrackSetPos(ctl::kVolume, 0);
    EXPECT_TRUE(player.SendCardFile(m_dir / "short.wav", Dialog()));
    EXPECT_EQ(Hex(Log(card)), "FF FF E7 03 06 00 19 00 00 00 00 00 00 00 00 00");
    EXPECT_TRUE(player.SendCardFile(m_dir / "norate.wav", Dialog()));
    EXPECT_EQ(Hex(Log(card)), "FF FF E7 03 06 00 19 00 00 00 00 00 00 00 00 00");
}

TEST_F(CardAccessTest, SendCardFileChooserUsesTheParentRule) {
    const std::string card = MakeCard("Card");
    testsupport::WriteFile(m_dir / "clip.wav", Clip(352836, 176400));
    auto& player = VoicePlayer();
    m_prompts->QueueChoice(card + "/ADDON/REMOTE.LOG");
    EXPECT_TRUE(player.SendCardFile(m_dir / "clip.wav", Dialog()));
    EXPECT_TRUE(Logged("file-open defext=LOG initial=ADDON/REMOTE.LOG" + kChooserTail + " -> " +
                       card + "/ADDON/REMOTE.LOG"));
    EXPECT_EQ(player.m_strRemoteDir, card + "/"); // not the root rule's "/"
    EXPECT_TRUE(std::filesystem::exists(card + "/ADDON/TEMP.wav"));
    EXPECT_EQ(Hex(Log(card).substr(0, 4)), "FF FF E7 03");
    EXPECT_TRUE(Logged("ini write [REMOTE] REMOTE_DIR=" + card + "/"));
}

TEST_F(CardAccessTest, SendCardFileChooserCancelled) {
    testsupport::WriteFile(m_dir / "clip.wav", Clip(352836, 176400));
    auto& player = VoicePlayer();
    m_prompts->QueueChoice(std::nullopt);
    EXPECT_FALSE(player.SendCardFile(m_dir / "clip.wav", Dialog()));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(CardAccessTest, SendCardFileLetsTheCommandTestTheCard) {
    // The chosen REMOTE.LOG does not exist, its ADDON folder does: the clip is
    // copied, then SendCardCommand asks again.
    const std::string card = MakeCard("card", false);
    testsupport::WriteFile(m_dir / "clip.wav", Clip(352836, 176400));
    auto& player = VoicePlayer();
    m_prompts->QueueChoice(card + "/ADDON/REMOTE.LOG");
    m_prompts->QueueChoice(std::nullopt);
    EXPECT_FALSE(player.SendCardFile(m_dir / "clip.wav", Dialog()));
    EXPECT_EQ(player.m_strRemoteDir, card + "/");
    EXPECT_TRUE(std::filesystem::exists(card + "/ADDON/TEMP.wav"));
    EXPECT_EQ(Count("file-open defext=LOG initial=ADDON/REMOTE.LOG"), 1);
    EXPECT_EQ(Count("file-open defext=LOG initial=REMOTE.LOG"), 1);
    EXPECT_EQ(Count("ini write"), 0);
}

TEST_F(CardAccessTest, FailedCopiesGive117And126) {
    auto& player = VoicePlayer();
    const std::string card = MakeCard("card");
    player.m_strRemoteDir = card + "/";
    EXPECT_FALSE(player.SendCardFile(m_dir / "missing.TM4", Dialog()));
    EXPECT_FALSE(player.SendCardFile(m_dir / "missing.wav", Dialog()));
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].rfind("message 117 none: プログラムのコピーに失敗しました。", 0), 0u);
    EXPECT_EQ(messages[1].rfind("message 126 none: 音声ファイルのコピーに失敗しました。", 0), 0u);
    EXPECT_EQ(Log(card), "old");
}

TEST_F(CardAccessTest, CopyToCardWithoutAddonFolderGives126) {
    const std::string card = m_cards.Path() + "/noaddon";
    std::filesystem::create_directories(card);
    testsupport::WriteFile(m_dir / "clip.wav", Clip(352836, 176400));
    auto& player = VoicePlayer();
    m_prompts->QueueChoice(card + "/ADDON/REMOTE.LOG");
    EXPECT_FALSE(player.SendCardFile(m_dir / "clip.wav", Dialog()));
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("message 126", 0), 0u);
    EXPECT_EQ(player.m_strRemoteDir, card + "/"); // as the chooser set it
}

TEST_F(CardAccessTest, FilesGoToTheMainCardOnlyRecordsToBoth) {
    const std::string card = MakeCard("card");
    const std::string second = MakeCard("f", true);
    Settings("[REMOTE]\nALTERNAME_DRIVE=F\n[DRIVES]\nF=" + second + "\n");
    testsupport::WriteFile(m_dir / "clip.wav", Clip(352836, 176400));
    auto& player = VoicePlayer();
    player.m_strRemoteDir = card + "/";
    EXPECT_TRUE(player.SendCardFile(m_dir / "clip.wav", Dialog()));
    EXPECT_TRUE(std::filesystem::exists(card + "/ADDON/TEMP.wav"));
    EXPECT_FALSE(std::filesystem::exists(second + "/ADDON/TEMP.wav"));
    EXPECT_EQ(Log(card), Log(second));
    EXPECT_EQ(Hex(Log(second).substr(0, 4)), "FF FF E7 03");
}

TEST_F(CardAccessTest, SelectRemoteFileStoresTheParent) {
    const std::string card = MakeCard("Card");
    auto& player = Player();
    player.m_strRemoteDir = "/old/";
    m_prompts->QueueChoice(card + "/ADDON/REMOTE.LOG");
    player.SelectRemoteFile();
    EXPECT_TRUE(Logged("file-open defext=LOG initial=/old/ADDON/REMOTE.LOG" + kChooserTail +
                       " -> " + card + "/ADDON/REMOTE.LOG"));
    EXPECT_EQ(player.m_strRemoteDir, card + "/");
    EXPECT_TRUE(Logged("ini write [REMOTE] REMOTE_DIR=" + card + "/"));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(CardAccessTest, SelectRemoteFileCancelledChangesNothing) {
    auto& player = Player();
    player.m_strRemoteDir = "/old/";
    m_prompts->QueueChoice(std::nullopt);
    player.SelectRemoteFile();
    EXPECT_EQ(player.m_strRemoteDir, "/old/");
    EXPECT_EQ(Count("ini write"), 0);
}

TEST_F(CardAccessTest, SelectRemoteFileAtARootStoresEmpty) {
    auto& player = Player();
    player.m_strRemoteDir = "/old/";
    m_prompts->QueueChoice(std::string("/REMOTE.LOG"));
    player.SelectRemoteFile();
    EXPECT_EQ(player.m_strRemoteDir, "");
    EXPECT_TRUE(Logged("ini write [REMOTE] REMOTE_DIR="));
}

TEST_F(CardAccessTest, SelectRemoteFileDoesNotTestTheChoice) {
    auto& player = Player();
    m_prompts->QueueChoice(std::string("/nowhere/card/ADDON/REMOTE.LOG"));
    player.SelectRemoteFile();
    EXPECT_EQ(player.m_strRemoteDir, "/nowhere/card/");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(CardAccessTest, WindowsStyleChoiceBecomesNative) {
    auto& player = Player();
    m_prompts->QueueChoice(std::string("C:\\Card\\ADDON\\REMOTE.LOG"));
    player.SelectRemoteFile();
    EXPECT_EQ(player.m_strRemoteDir, "C:/Card/");
    m_prompts->QueueChoice(std::string("E:\\REMOTE.LOG"));
    player.SelectRemoteFile();
    EXPECT_EQ(player.m_strRemoteDir, "");
}
