// Button 7: the save dialog, the messages, and whole exported files compared
// byte for byte with the golden files of tests/fixtures/export. Those files
// were generated from the fragment table of the design by a separate script
// (not by this program) and reviewed line by line; the catalogues and play
// lists they were reasoned from are in ExportTest::PutCatalogues, and the
// settings are those of each test (clip: interval 0, margin 1000 ms, step
// 1000 ms; play list: margin 600 ms, step 1500 ms).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "export/program_output.h"
#include "export/program_writer.h"
#include "export_fixture.h"
#include "platform/dialog_host.h"
#include "platform/text.h"
#include "ui/voxlet_dlg.h"

using platform::IDNO;
using platform::IDYES;
using platform::MsgButtons;
using platform::MsgIcon;
using V = std::vector<int>;

namespace {

const std::string kEnd = "<wait size=\"1\" adr=\"0x0b43\"/>\r\n";

bool HaveDevFull() {
    struct stat st {};
    return stat("/dev/full", &st) == 0 && S_ISCHR(st.st_mode);
}

} // namespace

// --- the save dialog and the simple outcomes ------------------------------

TEST_F(ExportTest, NoSelectionShows103) {
    PutCatalogues();
    Player();
    Dialog().ListReset(ctl::kClipList);
    ProgramOutput(Player(), Dialog());
    EXPECT_EQ(m_prompts.Ids(), V{103});
    EXPECT_EQ(m_prompts.messages[0].style.buttons, MsgButtons::Ok);
    EXPECT_EQ(m_prompts.messages[0].style.icon, MsgIcon::None);
    EXPECT_EQ(m_prompts.messages[0].text, "再生する音声をリストボックスから選んでください");
    EXPECT_TRUE(m_prompts.saveDialogs.empty());
}

TEST_F(ExportTest, ButtonSevenRunsTheCommand) {
    PutCatalogues();
    CVoxletDlg dlg;
    platform::HeadlessDialogHost host(dlg.Template(), [](const std::string&) {});
    host.ListSetSel(ctl::kClipList, -1);
    dlg.OnCommand(host, ctl::kProgramOutput, platform::BN_CLICKED);
    EXPECT_EQ(m_prompts.Ids(), V{103});
}

TEST_F(ExportTest, SaveDialogForAClip) {
    PutCatalogues();
    ShowLine("おはよう");
    Export(std::nullopt);
    ASSERT_EQ(m_prompts.saveDialogs.size(), 1u);
    const auto& spec = m_prompts.saveDialogs[0];
    EXPECT_EQ(spec.defaultExt, "TM4");
    EXPECT_EQ(spec.initialName, "おはよう");
    EXPECT_EQ(spec.filter, "ﾌﾟﾛｸﾞﾗﾑﾌｧｲﾙ|*.TM4||");
    EXPECT_TRUE(spec.hideReadOnly);
    EXPECT_FALSE(spec.overwritePrompt);
    // Cancelled: nothing written, no message.
    EXPECT_TRUE(m_prompts.messages.empty());
}

TEST_F(ExportTest, SaveDialogForAPlayList) {
    PutCatalogues();
    VoicePlayer();
    ShowLine("golden", true);
    Export(std::nullopt);
    ASSERT_EQ(m_prompts.saveDialogs.size(), 1u);
    const auto& spec = m_prompts.saveDialogs[0];
    EXPECT_EQ(spec.defaultExt, "TM4");
    EXPECT_EQ(spec.initialName, "golden");
    EXPECT_EQ(spec.filter, "ﾌﾟﾛｸﾞﾗﾑﾌｧｲﾙ|*.TM4||");
    EXPECT_TRUE(spec.hideReadOnly);
    EXPECT_TRUE(spec.overwritePrompt);
    EXPECT_TRUE(m_prompts.messages.empty());
}

TEST_F(ExportTest, ClipNotInCatalogueWritesNothing) {
    PutCatalogues();
    ShowLine("ないもの");
    Export(At("out.TM4"));
    EXPECT_TRUE(m_prompts.messages.empty());
    EXPECT_FALSE(Exists("out.TM4"));
}

// --- golden files ---------------------------------------------------------

TEST_F(ExportTest, SingleClipNew) {
    PutCatalogues();
    ShowLine("おはよう"); // the first of two entries with this label
    // The file is complete and closed when the success message shows.
    std::string atMessage;
    m_prompts.onMessage = [&](int id) {
        if (id == 113)
            atMessage = Read("out.TM4");
    };
    Export(At("out.TM4"));
    EXPECT_EQ(Read("out.TM4"), Golden("clip_new.TM4"));
    EXPECT_EQ(atMessage, Golden("clip_new.TM4"));
    ASSERT_EQ(m_prompts.Ids(), V{113});
    EXPECT_EQ(m_prompts.messages[0].text, "ティコプログラムの書出しに成功しました");
    EXPECT_EQ(m_prompts.messages[0].style.buttons, MsgButtons::Ok);
    EXPECT_EQ(m_prompts.messages[0].style.icon, MsgIcon::Info);
}

TEST_F(ExportTest, SingleClipAppended) {
    PutCatalogues();
    testsupport::WriteFile(At("out.TM4"), Golden("clip_new.TM4"));
    ShowLine("おはよう");
    m_prompts.answers.push_back(IDYES);
    Export(At("out.TM4"));
    EXPECT_EQ(Read("out.TM4"), Golden("clip_appended.TM4"));
    ASSERT_EQ(m_prompts.Ids(), (V{115, 113}));
    const auto& q = m_prompts.messages[0];
    EXPECT_EQ(q.text,
              "プログラムファイルが存在します。音声出力命令を追加しますか？\nいいえを答えるとプ"
              "ログラムが新規作成されます。");
    EXPECT_EQ(q.style.buttons, MsgButtons::YesNo);
    EXPECT_EQ(q.style.icon, MsgIcon::Question);
}

TEST_F(ExportTest, TwoExportsAppendTheSecond) {
    PutCatalogues();
    ShowLine("おはよう");
    Export(At("out.TM4"));
    m_prompts.answers.push_back(IDYES);
    Export(At("out.TM4"));
    EXPECT_EQ(Read("out.TM4"), Golden("clip_appended.TM4"));
    EXPECT_EQ(m_prompts.Ids(), (V{113, 115, 113}));
}

TEST_F(ExportTest, NoToTheQuestionReplacesTheFile) {
    PutCatalogues();
    testsupport::WriteFile(At("out.TM4"), Golden("clip_appended.TM4") + "junk that must go");
    ShowLine("おはよう");
    m_prompts.answers.push_back(IDNO);
    Export(At("out.TM4"));
    EXPECT_EQ(Read("out.TM4"), Golden("clip_new.TM4"));
    EXPECT_EQ(m_prompts.Ids(), (V{115, 113}));
}

TEST_F(ExportTest, AnExistingFileIsFoundWhateverItsCase) {
    PutCatalogues();
    testsupport::WriteFile(At("OUT.tm4"), Golden("clip_new.TM4"));
    ShowLine("おはよう");
    m_prompts.answers.push_back(IDYES);
    Export(At("out.TM4"));
    EXPECT_EQ(Read("OUT.tm4"), Golden("clip_appended.TM4"));
    EXPECT_FALSE(Exists("out.TM4"));
}

TEST_F(ExportTest, PlayList) {
    PutCatalogues();
    CVoicePlayer& p = VoicePlayer();
    p.m_nIntervalMergin = 600;
    p.m_nRemoteInterval = 1500;
    p.m_nDefaultInterval = 7; // the play interval plays no part in a play list
    ShowLine("golden", true);
    Export(At("list.TM4"));
    EXPECT_EQ(Read("list.TM4"), Golden("play_list.TM4"));
    ASSERT_EQ(m_prompts.Ids(), V{113});
    EXPECT_EQ(m_prompts.messages[0].style.icon, MsgIcon::Info);
}

TEST_F(ExportTest, PlayListReplacesAnExistingFile) {
    PutCatalogues();
    CVoicePlayer& p = VoicePlayer();
    p.m_nIntervalMergin = 600;
    p.m_nRemoteInterval = 1500;
    testsupport::WriteFile(At("list.TM4"), std::string(10000, 'x'));
    ShowLine("golden", true);
    Export(At("list.TM4")); // the dialog asked about overwriting; no 115 here
    EXPECT_EQ(Read("list.TM4"), Golden("play_list.TM4"));
    EXPECT_EQ(m_prompts.Ids(), V{113});
}

TEST_F(ExportTest, PlayListNameFoundWhateverItsCase) {
    PutCatalogues();
    CVoicePlayer& p = VoicePlayer();
    p.m_nIntervalMergin = 600;
    p.m_nRemoteInterval = 1500;
    p.m_strVoiceFolder = ".\\VOICE";
    ShowLine("Golden", true);
    Export(At("list.TM4"));
    EXPECT_EQ(Read("list.TM4"), Golden("play_list.TM4"));
}

TEST_F(ExportTest, PlayListWithAMissingId) {
    PutCatalogues();
    CVoicePlayer& p = VoicePlayer();
    p.m_nIntervalMergin = 600;
    p.m_nRemoteInterval = 1500;
    ShowLine("missing", true);
    Export(At("list.TM4"));
    // Written up to the failing line's SOUND_BLOCK; no TRAILER.
    EXPECT_EQ(Read("list.TM4"), Golden("play_list_missing_id.TM4"));
    ASSERT_EQ(m_prompts.Ids(), V{110});
    const auto& m = m_prompts.messages[0];
    EXPECT_EQ(m.text, "プレイリストのID[99;メモ]の音声ファイルが存在しません。\n.\\voice."
                      "csvを確認してください。");
    EXPECT_EQ(m.style.buttons, MsgButtons::Ok);
    EXPECT_EQ(m.style.icon, MsgIcon::None);
}

TEST_F(ExportTest, MissingIdMessageNamesTheCatalogueOfTheMode) {
    PutCatalogues();
    Player(); // mode 0
    Put("voice/play_list/p.txt", "77\n");
    EXPECT_FALSE(WritePlayListProgram(At("p.TM4"), Player(), At("voice/play_list/p.txt")));
    ASSERT_EQ(m_prompts.Ids(), V{110});
    EXPECT_EQ(m_prompts.messages[0].text, "プレイリストのID[77]の音声ファイルが存在しません。\n."
                                          "\\Ninshiki.csvを確認してください。");
}

TEST_F(ExportTest, PlayListThatCannotBeRead) {
    PutCatalogues();
    VoicePlayer();
    ShowLine("nothing", true);
    Export(At("list.TM4"));
    ASSERT_EQ(m_prompts.Ids(), V{109});
    EXPECT_EQ(m_prompts.messages[0].text, "プレイリストの読み込みに失敗しました");
    EXPECT_EQ(m_prompts.messages[0].style.icon, MsgIcon::None);
    EXPECT_FALSE(Exists("list.TM4"));
}

// --- pauses, steps and mouth counts ---------------------------------------

TEST_F(ExportTest, IntervalZeroEndsWithPause50) {
    PutCatalogues();
    Player().m_nDefaultInterval = 0;
    Player().m_nIntervalMergin = 1000;
    ShowLine("三秒");
    Export(At("o.TM4"));
    const std::string file = Read("o.TM4");
    const std::string tail = "<medit>\r\n"
                             "<block name=\"\" type=\"10\" xpos=\"11\" ypos=\"82\" bluearrow=\"6\" "
                             "redarrow=\"6\"/>\r\n"
                             "</medit>\r\n"
                             "<wait data=\"50\"/>\r\n"
                             "\r\n" +
                             kEnd;
    ASSERT_GE(file.size(), tail.size());
    EXPECT_EQ(file.substr(file.size() - tail.size()), tail);
    EXPECT_EQ(Count(file, "<wait data="), 1u);
}

TEST_F(ExportTest, TwelveSecondClipAtTenSecondIntervalHasNoPause) {
    PutCatalogues();
    Player().m_nDefaultInterval = 10;
    ShowLine("長い");
    Export(At("o.TM4"));
    const std::string file = Read("o.TM4");
    EXPECT_EQ(Count(file, "<wait data="), 0u);
    EXPECT_EQ(Count(file, "type=\"10\""), 0u);
    EXPECT_EQ(Count(file, "adr=\"0x0a8c\""), 24u); // 12 groups
    EXPECT_EQ(m_prompts.Ids(), V{113});
}

TEST_F(ExportTest, IntervalLeavesTheRestAsPause) {
    PutCatalogues();
    Player().m_nDefaultInterval = 10;
    Player().m_nIntervalMergin = 5000; // not used when an interval is set
    ShowLine("三秒");
    Export(At("o.TM4"));
    const std::string file = Read("o.TM4");
    EXPECT_EQ(Count(file, "<wait data=\"350\"/>"), 1u); // (10 - 3) s = 350 ticks
    EXPECT_EQ(Count(file, "<wait data="), 1u);
}

TEST_F(ExportTest, NegativeMarginGivesNoPause) {
    PutCatalogues();
    Player().m_nIntervalMergin = -400;
    ShowLine("三秒");
    Export(At("o.TM4"));
    EXPECT_EQ(Count(Read("o.TM4"), "<wait data="), 0u);
}

TEST_F(ExportTest, ThreeSecondsAtStep1000GiveThreeGroups) {
    PutCatalogues();
    Player().m_nRemoteInterval = 1000;
    ShowLine("三秒");
    Export(At("o.TM4"));
    using namespace program_format;
    const std::string group = Mouth50() + Copy() + Mouth0() + Copy();
    const std::string expected = Header() + SoundBlock(3) + PlayClip("Ninshiki\\NF03.wav") +
                                 LipHead(25) + Copy() + group + group + group + Pause(50) +
                                 Trailer();
    EXPECT_EQ(Read("o.TM4"), expected);
    EXPECT_EQ(Count(expected, "<const data=\"25\"/>"), 1u);
    EXPECT_EQ(Count(expected, "adr=\"0x0a8c\""), 6u);
    EXPECT_EQ(Count(expected, "<mem_r "), 7u);
}

TEST_F(ExportTest, ThreeSecondsAtStep2000GiveOneGroup) {
    PutCatalogues();
    Player().m_nRemoteInterval = 2000;
    ShowLine("三秒");
    Export(At("o.TM4"));
    using namespace program_format;
    const std::string expected = Header() + SoundBlock(3) + PlayClip("Ninshiki\\NF03.wav") +
                                 LipHead(50) + Copy() + Mouth50() + Copy() + Mouth0() + Copy() +
                                 Pause(50) + Trailer();
    const std::string file = Read("o.TM4");
    EXPECT_EQ(file, expected);
    EXPECT_EQ(Count(file, "adr=\"0x0a8c\""), 2u);
    EXPECT_EQ(Count(file, "<mem_r "), 3u);
}

TEST_F(ExportTest, RemoteIntervalZeroOrBelowCountsAs1000) {
    PutCatalogues();
    for (int interval : {0, -250}) {
        std::filesystem::remove(At("o.TM4"));
        Player().m_nRemoteInterval = interval;
        ShowLine("三秒");
        Export(At("o.TM4"));
        const std::string file = Read("o.TM4");
        EXPECT_EQ(Count(file, "<const data=\"25\"/>"), 1u) << interval;
        EXPECT_EQ(Count(file, "adr=\"0x0a8c\""), 6u) << interval;
    }
}

TEST_F(ExportTest, ZeroSecondClipHasASingleCopy) {
    PutCatalogues();
    ShowLine("無音");
    Export(At("o.TM4"));
    using namespace program_format;
    const std::string file = Read("o.TM4");
    EXPECT_EQ(file, Header() + SoundBlock(20) + PlayClip("Ninshiki\\NF00.wav") + LipHead(25) +
                        Copy() + Pause(50) + Trailer());
    EXPECT_EQ(Count(file, "<mem_r "), 1u);
    EXPECT_EQ(Count(file, "adr=\"0x0a8c\""), 0u);
}

TEST_F(ExportTest, VoiceModeClipHasNoRecognitionFolder) {
    PutCatalogues();
    VoicePlayer();
    ShowLine("おかえり");
    Export(At("o.TM4"));
    const std::string file = Read("o.TM4");
    // 挨拶\ソラ.wav exactly as the catalogue holds it (ソ is 83 5C).
    EXPECT_NE(file.find("<play filename=\"voice\\\x88\xA5\x8E\x41\\\x83\x5C\x83\x89.wav\"/>\r\n"),
              std::string::npos);
    EXPECT_EQ(Count(file, "Ninshiki"), 0u);
    EXPECT_EQ(Count(file, "SOUND ID 102"), 1u);
}

TEST_F(ExportTest, RecognitionFolderIsNinshikiOnModel2Too) {
    PutCatalogues();
    Player().m_nTikoModel = 2;
    ShowLine("三秒");
    Export(At("o.TM4"));
    EXPECT_EQ(Count(Read("o.TM4"), "<play filename=\"voice\\Ninshiki\\NF03.wav\"/>"), 1u);
}

TEST_F(ExportTest, HiddenCataloguePlayListRadioExportsAClip) {
    PutCatalogues();
    CVoicePlayer& p = VoicePlayer();
    p.m_bUraVoice = true;
    ShowLine("ただいま", true);
    Export(At("o.TM4"));
    ASSERT_EQ(m_prompts.saveDialogs.size(), 1u);
    EXPECT_FALSE(m_prompts.saveDialogs[0].overwritePrompt);
    const std::string file = Read("o.TM4");
    EXPECT_EQ(Count(file, "SOUND ID 101"), 1u);
    EXPECT_EQ(Count(file, "<play filename=\"voice\\greet\\tadaima.wav\"/>"), 1u);
    EXPECT_EQ(m_prompts.Ids(), V{113});
}

TEST_F(ExportTest, LongLabelsAreTakenWhole) {
    PutCatalogues();
    // 100 kanji: 200 bytes in the catalogue, 300 in UTF-8.
    std::string label;
    for (int i = 0; i < 100; ++i)
        label += "長";
    Put("Ninshiki.csv", "header\n1," + label + ",x,long.wav,44,1,1\n");
    ShowLine(label);
    Export(At("o.TM4"));
    EXPECT_EQ(m_prompts.saveDialogs.at(0).initialName, label);
    EXPECT_EQ(Count(Read("o.TM4"), "SOUND ID 44"), 1u);
}

TEST_F(ExportTest, LongPlayListNamesAreTakenWhole) {
    PutCatalogues();
    VoicePlayer();
    const std::string name(250, 'p');
    Put("voice/play_list/" + name + ".txt", "103\n");
    ShowLine(name, true);
    Export(At("o.TM4"));
    EXPECT_EQ(m_prompts.saveDialogs.at(0).initialName, name);
    EXPECT_EQ(m_prompts.Ids(), V{113});
    EXPECT_EQ(Count(Read("o.TM4"), "SOUND ID 103"), 1u);
}

TEST_F(ExportTest, PlayListIdBeyond16BitsMatchesNothing) {
    PutCatalogues();
    VoicePlayer();
    // 65637 would be 101 if cut to 16 bits; the writer compares whole numbers.
    Put("voice/play_list/big.txt", "65637\n");
    EXPECT_FALSE(WritePlayListProgram(At("b.TM4"), Player(), At("voice/play_list/big.txt")));
    EXPECT_EQ(m_prompts.Ids(), V{110});
    EXPECT_EQ(Count(Read("b.TM4"), "SOUND ID 65637"), 1u);
}

TEST_F(ExportTest, PlayListLinesLongerThan255BytesAreSeveralLines) {
    PutCatalogues();
    VoicePlayer();
    // 255 bytes: "103" and 252 blanks; the rest of the line, "102", is the next line.
    Put("voice/play_list/long.txt", "103" + std::string(252, ' ') + "102\n");
    Player().m_nIntervalMergin = 0;
    EXPECT_TRUE(WritePlayListProgram(At("l.TM4"), Player(), At("voice/play_list/long.txt")));
    const std::string file = Read("l.TM4");
    EXPECT_LT(file.find("SOUND ID 103"), file.find("SOUND ID 102"));
}

// --- failing writes -------------------------------------------------------

TEST_F(ExportTest, ProgramFileThatCannotBeOpenedShows112) {
    PutCatalogues();
    ShowLine("おはよう");
    Export(At("voice.csv/out.TM4")); // the parent is a regular file
    ASSERT_EQ(m_prompts.Ids(), V{112});
    EXPECT_EQ(m_prompts.messages[0].text, "ティコプログラムの書出しに失敗しました");
    EXPECT_EQ(m_prompts.messages[0].style.buttons, MsgButtons::Ok);
    EXPECT_EQ(m_prompts.messages[0].style.icon, MsgIcon::None);
}

TEST_F(ExportTest, PlayListProgramThatCannotBeOpenedShows112) {
    PutCatalogues();
    VoicePlayer();
    ShowLine("golden", true);
    Export(At("voice.csv/out.TM4"));
    EXPECT_EQ(m_prompts.Ids(), V{112});
}

TEST_F(ExportTest, WriteFailingAfterOpenShows112NotSuccess) {
    if (!HaveDevFull())
        GTEST_SKIP() << "no /dev/full";
    PutCatalogues();
    ASSERT_EQ(symlink("/dev/full", At("full.TM4").c_str()), 0);
    ShowLine("おはよう");
    for (int answer : {IDYES, IDNO}) {
        m_prompts.messages.clear();
        m_prompts.answers.push_back(answer);
        Export(At("full.TM4")); // it exists: the question comes first
        EXPECT_EQ(m_prompts.Ids(), (V{115, 112})) << answer;
    }
}

TEST_F(ExportTest, LongWriteFailingMidwayShows112) {
    if (!HaveDevFull())
        GTEST_SKIP() << "no /dev/full";
    PutCatalogues();
    ASSERT_EQ(symlink("/dev/full", At("full.TM4").c_str()), 0);
    Player().m_nRemoteInterval = 10; // 1200 groups: far more than one buffer
    ShowLine("長い");
    m_prompts.answers.push_back(IDNO);
    Export(At("full.TM4"));
    EXPECT_EQ(m_prompts.Ids(), (V{115, 112}));
}

TEST_F(ExportTest, PlayListWriteFailingShows112) {
    if (!HaveDevFull())
        GTEST_SKIP() << "no /dev/full";
    PutCatalogues();
    VoicePlayer();
    ASSERT_EQ(symlink("/dev/full", At("full.TM4").c_str()), 0);
    ShowLine("golden", true);
    Export(At("full.TM4"));
    EXPECT_EQ(m_prompts.Ids(), V{112});
}

TEST_F(ExportTest, PlayListMissingIdOnAFailingFileShowsBoth) {
    if (!HaveDevFull())
        GTEST_SKIP() << "no /dev/full";
    PutCatalogues();
    VoicePlayer();
    ASSERT_EQ(symlink("/dev/full", At("full.TM4").c_str()), 0);
    ShowLine("missing", true);
    Export(At("full.TM4"));
    EXPECT_EQ(m_prompts.Ids(), (V{110, 112}));
}

TEST_F(ExportTest, WritersReportTheirResult) {
    PutCatalogues();
    VoicePlayer();
    EXPECT_TRUE(WritePlayListProgram(At("a.TM4"), Player(), At("voice/play_list/golden.txt")));
    EXPECT_FALSE(WritePlayListProgram(At("b.TM4"), Player(), At("voice/play_list/none.txt")));
    EXPECT_FALSE(WritePlayListProgram(At("c.TM4"), Player(), At("voice/play_list/missing.txt")));
    EXPECT_TRUE(WriteClipProgram(At("d.TM4"), "x.wav", 5, 1000, 0, false, Player()));
    EXPECT_FALSE(WriteClipProgram(At("voice.csv/e.TM4"), "x.wav", 5, 1000, 0, false, Player()));
    EXPECT_EQ(m_prompts.Ids(), (V{113, 109, 110, 113, 112}));
    EXPECT_FALSE(Exists("b.TM4"));
}
