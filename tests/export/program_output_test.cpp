// What the scenarios cannot reach through button 7: the writers' results, a
// play list that cannot be read (109, no program), and message 110 naming the
// catalogue of the recognition-word mode.
#include <gtest/gtest.h>

#include "export/program_writer.h"
#include "platform/paths.h"
#include "support/player_fixture.h"

TEST_F(PlayerTest, ExportWritersReportTheirResult) {
    Put("Ninshiki.csv", "h\n");
    Put("p/ids.txt", "0,1\n77\n");
    Put("p/pauses.txt", "0,1\n");
    auto& p = Player();
    EXPECT_FALSE(WritePlayListProgram(m_dir / "a.TM4", p, m_dir / "p/none.txt"));
    EXPECT_FALSE(WritePlayListProgram(m_dir / "b.TM4", p, m_dir / "p/ids.txt"));
    EXPECT_TRUE(WritePlayListProgram(m_dir / "c.TM4", p, m_dir / "p/pauses.txt"));
    EXPECT_TRUE(WriteClipProgram(m_dir / "d.TM4", "x.wav", 5, 1000, 0, false, p));
    EXPECT_FALSE(WriteClipProgram(m_dir / "c.TM4/e.TM4", "x.wav", 5, 1000, 0, false, p));
    EXPECT_EQ(m_log, (std::vector<std::string>{
                         "message 109 none: プレイリストの読み込みに失敗しました -> OK",
                         "message 110 none: プレイリストのID[77]の音声ファイルが存在しません。\\n."
                         "\\Ninshiki.csvを確認してください。 -> OK",
                         "message 113 info: ティコプログラムの書出しに成功しました -> OK",
                         "message 113 info: ティコプログラムの書出しに成功しました -> OK",
                         "message 112 none: ティコプログラムの書出しに失敗しました -> OK"}));
    EXPECT_FALSE(platform::PathExists(m_dir / "a.TM4")); // no program without a play list
}
