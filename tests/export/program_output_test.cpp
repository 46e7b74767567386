// The export's own reading of play-list rows and the numbers that enter the
// program format (the export and groups rows of
// tests/fixtures/vectors/rows.txt; the scenarios export_* compare whole program
// files), and what the scenarios cannot reach through button 7: the play-list
// writer's results (the clip writer's are in the file fault table), a play list
// that cannot be read (109, no program), message 110 naming the catalogue of the
// recognition-word mode, and which save dialog asks before replacing a file.
#include <gtest/gtest.h>

#include "core/main_dialog.h"
#include "export/program_output.h"
#include "export/program_writer.h"
#include "platform/paths.h"
#include "support/player_fixture.h"

TEST(ProgramFormat, ExportRowsAndMouthGroups) {
    using namespace program_format;
    for (const auto& v : testsupport::Vectors("rows.txt")) {
        if (v[0] == "groups") {
            EXPECT_EQ(MouthGroups(std::stoi(v[1]), std::stoi(v[2])), std::stoi(v[3])) << v[1];
            EXPECT_EQ(LipStep(std::stoi(v[2])), std::stoi(v[4])) << v[2];
        } else if (v[0] == "export") {
            const auto line = ParseExportPlayListLine(v[1]);
            EXPECT_EQ(line.skip ? std::string("skip")
                                : std::to_string(line.id) + (line.hasComma ? "," : " ") +
                                      std::to_string(line.pauseSeconds) + " [" + line.idText + "]",
                      v[2])
                << v[1];
        }
    }
}

TEST_F(PlayerTest, ExportWritersReportTheirResult) {
    Put("Ninshiki.csv", "h\n");
    Put("p/ids.txt", "0,1\n77\n");
    Put("p/pauses.txt", "0,1\n");
    auto& p = Player();
    EXPECT_FALSE(WritePlayListProgram(m_dir / "a.TM4", p, m_dir / "p/none.txt"));
    EXPECT_FALSE(WritePlayListProgram(m_dir / "b.TM4", p, m_dir / "p/ids.txt"));
    EXPECT_TRUE(WritePlayListProgram(m_dir / "c.TM4", p, m_dir / "p/pauses.txt"));
    EXPECT_EQ(m_log, (std::vector<std::string>{
                         "message 109 none: プレイリストの読み込みに失敗しました -> OK",
                         "message 110 none: プレイリストのID[77]の音声ファイルが存在しません。\\n."
                         "\\Ninshiki.csvを確認してください。 -> OK",
                         "message 113 info: ティコプログラムの書出しに成功しました -> OK"}));
    EXPECT_FALSE(platform::PathExists(m_dir / "a.TM4")); // no program without a play list
}

// A play list's program replaces the chosen file, so its save dialog asks
// first; a clip's program is added to an existing file after question 115.
TEST_F(PlayerTest, OnlyAPlayListsSaveDialogAsksBeforeReplacing) {
    struct SaveDialogs final : platform::Prompts {
        std::vector<bool> overwritePrompts;
        int Message(int, std::string_view, const platform::MessageStyle&) override { return 0; }
        std::optional<std::string> FileOpen(const platform::FileDialogSpec&) override { return {}; }
        std::optional<std::string> FileSave(const platform::FileDialogSpec& spec) override {
            overwritePrompts.push_back(spec.overwritePrompt);
            return {};
        }
        int RunModal(platform::ModalDialogLogic&) override { return 0; }
    } saves;
    InMode(MODE_VOICE);
    m_services.prompts = &saves;
    auto& dlg = Dialog();
    for (const bool playList : {true, false}) {
        Player().ChangeCategory(dlg, playList ? CATEGORY_PLAY_LISTS : 0);
        dlg.ListSetSel(ctl::kClipList, dlg.ListAdd(ctl::kClipList, "list"));
        ProgramOutput(Player(), dlg);
    }
    EXPECT_EQ(saves.overwritePrompts, (std::vector<bool>{true, false}));
}
