// Button 7: the save dialog, the messages, and whole exported files compared
// byte for byte with the golden files of tests/fixtures/export. Those files
// were generated from the fragment table by a separate script (make_golden.py
// there, not this program) and reviewed line by line; the catalogues and play
// lists they were reasoned from are in tests/fixtures/export/tree, and the
// settings are those of each test (clip: interval 0, margin 1000 ms, step
// 1000 ms; play list: margin 600 ms, step 1500 ms).
#include <gtest/gtest.h>

#include <cstdio>

#include "export/program_output.h"
#include "export/program_writer.h"
#include "export_fixture.h"
#include "platform/dialog_host.h"

using platform::kIdNo;
using platform::kIdYes;
using V = std::vector<std::string>;

namespace {

const std::string k113 = "message 113 info: ティコプログラムの書出しに成功しました -> OK";

// The play-list settings of the golden files.
const std::string kPlayListSettings =
    "[PLAY]\nINTERVAL_MERGIN=600\n[REMOTE]\nREMOTE_INTERVAL=1500\n";

} // namespace

// --- golden files ---------------------------------------------------------

TEST_F(ExportTest, ClipIsWrittenThenAppendedOrReplaced) {
    PutCatalogues();
    ShowLine("おはよう"); // the first of two entries with this label
    // The file is complete and closed when the success message shows.
    std::string atMessage;
    m_recorded->onMessage = [&](int id) {
        if (id == 113)
            atMessage = Read("out.TM4");
    };
    Export(At("out.TM4"));
    EXPECT_EQ(Read("out.TM4"), Golden("clip_new.TM4"));
    EXPECT_EQ(atMessage, Golden("clip_new.TM4"));
    m_prompts->QueueAnswer(kIdYes);
    m_prompts->QueueAnswer(kIdNo);
    Export(At("out.TM4"));
    EXPECT_EQ(Read("out.TM4"), Golden("clip_appended.TM4"));
    testsupport::WriteFile(At("out.TM4"), Read("out.TM4") + "junk that must go");
    Export(At("out.TM4"));
    EXPECT_EQ(Read("out.TM4"), Golden("clip_new.TM4"));
    const std::string k115 = "message 115 question: プログラムファイルが存在します。"
                             "音声出力命令を追加しますか？\\nいいえを答えるとプログラムが新規作成"
                             "されます。 -> ";
    EXPECT_EQ(Messages(), (V{k113, k115 + "YES", k113, k115 + "NO", k113}));
}

TEST_F(ExportTest, PlayListReplacesAnyFileAndIsFoundWhateverItsCase) {
    PutCatalogues();
    // The play interval plays no part in a play list.
    Settings("[PLAY]\nINTERVAL_MERGIN=600\nDEFAULT_INTERVAL=7\n[REMOTE]\nREMOTE_INTERVAL=1500\n"
             "[SOUND]\nVOICE_FOLDER=.\\VOICE\n");
    VoicePlayer();
    testsupport::WriteFile(At("list.TM4"), std::string(10000, 'x'));
    ShowLine("Golden", true);
    Export(At("list.TM4")); // the dialog asked about overwriting; no 115 here
    EXPECT_EQ(Read("list.TM4"), Golden("play_list.TM4"));
    EXPECT_EQ(Messages(), V{k113});
}

TEST_F(ExportTest, PlayListWithAMissingId) {
    PutCatalogues();
    Settings(kPlayListSettings);
    VoicePlayer();
    ShowLine("missing", true);
    Export(At("list.TM4"));
    // Written up to the failing line's SOUND_BLOCK; no TRAILER.
    EXPECT_EQ(Read("list.TM4"), Golden("play_list_missing_id.TM4"));
    EXPECT_EQ(Messages(),
              V{"message 110 none: プレイリストのID[99;メモ]の音声ファイルが存在しません"
                "。\\n.\\voice.csvを確認してください。 -> OK"});
}

TEST_F(ExportTest, MissingIdMessageNamesTheCatalogueOfTheMode) {
    PutCatalogues();
    Player(); // mode 0
    Put("voice/play_list/p.txt", "77\n");
    EXPECT_FALSE(WritePlayListProgram(At("p.TM4"), Player(), At("voice/play_list/p.txt")));
    EXPECT_EQ(Messages(),
              V{"message 110 none: プレイリストのID[77]の音声ファイルが存在しません。\\n."
                "\\Ninshiki.csvを確認してください。 -> OK"});
    // 65637 would be 101 if cut to 16 bits; the writer compares whole numbers.
    VoicePlayer();
    Put("voice/play_list/big.txt", "65637\n");
    EXPECT_FALSE(WritePlayListProgram(At("b.TM4"), Player(), At("voice/play_list/big.txt")));
    EXPECT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Count(Read("b.TM4"), "SOUND ID 65637"), 1u);
}

// --- pauses, steps and mouth counts ---------------------------------------

TEST_F(ExportTest, ClipLengthIntervalMarginAndStepShapeTheProgram) {
    using namespace program_format;
    PutCatalogues();
    const struct {
        std::string label;
        int interval, margin, step, model;
        int id;
        std::string clip;
        int lip, groups, pause; // pause -1: none
    } cases[] = {
        {"三秒", 0, 1000, 1000, 1, 3, "NF03", 25, 3, 50},
        {"三秒", 10, 5000, 1000, 1, 3, "NF03", 25, 3, 350}, // (10 - 3) s; no margin
        {"長い", 10, 1000, 1000, 1, 12, "NF12", 25, 12, -1},
        {"三秒", 0, -400, 1000, 1, 3, "NF03", 25, 3, -1},
        {"三秒", 0, 1000, 2000, 2, 3, "NF03", 50, 1, 50}, // model 2 uses Ninshiki too
        {"三秒", 0, 1000, 0, 1, 3, "NF03", 25, 3, 50},    // a step of 0 or below is 1000
        {"三秒", 0, 1000, -250, 1, 3, "NF03", 25, 3, 50},
        {"無音", 0, 1000, 1000, 1, 20, "NF00", 25, 0, 50},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.label << " " << c.interval << " " << c.margin << " " << c.step);
        Settings("[PLAY]\nINTERVAL_MERGIN=" + std::to_string(c.margin) +
                 "\n[REMOTE]\nREMOTE_INTERVAL=" + std::to_string(c.step) + "\n");
        m_player.reset();
        Player().SetDefaultInterval(c.interval);
        Player().SetModel(c.model);
        std::string expected = Header() + SoundBlock(c.id) +
                               PlayClip("Ninshiki\\" + c.clip + ".wav") + LipHead(c.lip) + Copy();
        for (int i = 0; i < c.groups; ++i)
            expected += Mouth50() + Copy() + Mouth0() + Copy();
        expected += (c.pause < 0 ? "" : Pause(c.pause)) + Trailer();
        const std::string name = "o" + std::to_string(++n) + ".TM4";
        ShowLine(c.label);
        Export(At(name));
        EXPECT_EQ(Read(name), expected);
        EXPECT_EQ(Messages(), V{k113});
    }
}

TEST_F(ExportTest, VoiceModeClipsHaveNoRecognitionFolder) {
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
    // The hidden catalogue with the play-list radio exports a clip.
    testsupport::WriteFile(At("ura_voice.csv"), Read("voice.csv"));
    ASSERT_TRUE(Player().OpenHiddenCatalogue(Dialog()));
    ShowLine("ただいま", true);
    Export(At("u.TM4"));
    EXPECT_FALSE(m_recorded->saveDialogs.at(1).overwritePrompt);
    EXPECT_EQ(Count(Read("u.TM4"), "SOUND ID 101"), 1u);
    EXPECT_EQ(Count(Read("u.TM4"), "<play filename=\"voice\\greet\\tadaima.wav\"/>"), 1u);
    EXPECT_EQ(Messages(), (V{k113, k113}));
}

TEST_F(ExportTest, PlayListLinesLongerThan255BytesAreSeveralLines) {
    PutCatalogues();
    Settings("[PLAY]\nINTERVAL_MERGIN=0\n");
    VoicePlayer();
    // 255 bytes: "103" and 252 blanks; the rest of the line, "102", is the next line.
    Put("voice/play_list/long.txt", "103" + std::string(252, ' ') + "102\n");
    EXPECT_TRUE(WritePlayListProgram(At("l.TM4"), Player(), At("voice/play_list/long.txt")));
    const std::string file = Read("l.TM4");
    EXPECT_LT(file.find("SOUND ID 103"), file.find("SOUND ID 102"));
}

TEST_F(ExportTest, WritersReportTheirResult) {
    PutCatalogues();
    VoicePlayer();
    EXPECT_TRUE(WritePlayListProgram(At("a.TM4"), Player(), At("voice/play_list/golden.txt")));
    EXPECT_FALSE(WritePlayListProgram(At("b.TM4"), Player(), At("voice/play_list/none.txt")));
    EXPECT_FALSE(WritePlayListProgram(At("c.TM4"), Player(), At("voice/play_list/missing.txt")));
    EXPECT_TRUE(WriteClipProgram(At("d.TM4"), "x.wav", 5, 1000, 0, false, Player()));
    EXPECT_FALSE(WriteClipProgram(At("voice.csv/e.TM4"), "x.wav", 5, 1000, 0, false, Player()));
    std::vector<int> ids;
    for (const auto& m : Messages())
        ids.push_back(std::stoi(m.substr(8)));
    EXPECT_EQ(ids, (std::vector<int>{113, 109, 110, 113, 112}));
    EXPECT_EQ(Messages()[1], "message 109 none: プレイリストの読み込みに失敗しました -> OK");
    EXPECT_FALSE(Exists("b.TM4")); // no program without a play list
}

// On a real file system of 16 KiB: an export that fails, at the open (mounted
// read-only) or at a write (the disk fills), shows 112 and leaves the previous
// file byte for byte as it was and no other file behind.
TEST_F(ExportTest, FailedExportLeavesThePreviousFileAsItWas) {
    testsupport::SmallTmpfs disk;
    if (!disk.SkipReason().empty())
        GTEST_SKIP() << disk.SkipReason();
    PutCatalogues();
    Settings("[REMOTE]\nREMOTE_INTERVAL=10\n"); // "長い": 1200 groups, far more than the disk holds
    ShowLine("長い");
    const std::string out = disk.Path() + "/out.TM4", old = Golden("clip_appended.TM4");
    const struct {
        int answer; // to the question about the existing file; 0: no file
        bool atOpen;
    } cases[] = {{kIdYes, false}, {kIdNo, false}, {0, false},
                 {kIdYes, true},  {kIdNo, true},  {0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.answer << (c.atOpen ? " open" : " write"));
        ASSERT_TRUE(disk.SetReadOnly(false));
        std::remove(out.c_str());
        if (c.answer) {
            testsupport::WriteFile(out, old);
            m_prompts->QueueAnswer(c.answer);
        }
        ASSERT_TRUE(disk.SetReadOnly(c.atOpen));
        const std::size_t before = Messages().size();
        Export(out);
        V shown;
        for (std::size_t i = before; i < Messages().size(); ++i)
            shown.push_back(Messages()[i].substr(0, 11)); // "message NNN"
        EXPECT_EQ(shown, (c.answer ? V{"message 115", "message 112"} : V{"message 112"}));
        EXPECT_EQ(disk.Names(), (c.answer ? V{"out.TM4"} : V{}));
        EXPECT_TRUE(testsupport::ReadFile(out) == (c.answer ? old : "")); // byte for byte
    }
}
