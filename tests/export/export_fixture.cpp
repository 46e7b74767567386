#include "export_fixture.h"

#include <filesystem>

#include "export/program_output.h"
#include "platform/dialog_host.h"
#include "resources/templates.h"

void ExportTest::SetUp() {
    PlayerTest::SetUp();
    m_recorded = std::make_unique<SavePrompts>(*m_prompts);
    m_services.prompts = m_recorded.get();
}

std::vector<std::string> ExportTest::Messages() const {
    std::vector<std::string> lines;
    for (const auto& line : m_log)
        if (line.starts_with("message "))
            lines.push_back(line);
    return lines;
}

bool ExportTest::Exists(const std::string& name) const {
    std::error_code ec;
    return std::filesystem::exists(At(name), ec);
}

void ExportTest::PutCatalogues() {
    // 表 is 95 5C and ソ 83 5C in CP932: their second byte is a backslash.
    Put("Ninshiki.csv", "セット,テキスト,補足,ファイル,ID,秒,分類\n"
                        "1,おはよう,朝,表示.wav,2,2,1\n"
                        "1,おはよう,重複,NF09.wav,9,5,1\n"
                        "1,長い,十二秒,NF12.wav,12,12,1\n"
                        "1,三秒,三,NF03.wav,3,3,1\n"
                        "1,無音,零,NF00.wav,20,0,1\n");
    Put("voice.csv", "セット,テキスト,補足,ファイル,ID,秒,分類\n"
                     "1,ただいま,帰宅,greet\\tadaima.wav,101,2,1\n"
                     "1,おかえり,帰宅,挨拶\\ソラ.wav,102,3,1\n"
                     "1,二重,同じID,dup.wav,101,9,1\n"
                     "1,ね,零秒,ne.wav,2,0,1\n"
                     "1,歌,四秒,song.wav,103,4,5\n");
    // Comment, letter targets, an empty line, id-0 pauses, skipped lines, a
    // digit-colon-comma line, a ';' note and a negative pause.
    Put("voice/play_list/golden.txt", "# コメント\n"
                                      "a:,101,3\n"
                                      "B:,102\n"
                                      "\n"
                                      "0,5\n"
                                      "x12\n"
                                      ",7\n"
                                      "2:,102\n"
                                      "103;メモ\n"
                                      "0\n"
                                      "101,-2\n");
    Put("voice/play_list/missing.txt", "101\n"
                                       "a:,99;メモ,3\n"
                                       "102\n");
}

CVoicePlayer& ExportTest::Player() {
    if (!m_player) {
        PlayerTest::Player();
        m_log.clear();
    }
    return *m_player;
}

CVoicePlayer& ExportTest::VoicePlayer() {
    CVoicePlayer& p = Player();
    EXPECT_TRUE(p.ChangeMode(MODE_VOICE, Dialog()));
    return p;
}

void ExportTest::ShowLine(const std::string& text, bool playListRadio) {
    auto& dlg = Dialog();
    dlg.ListReset(ctl::kClipList);
    dlg.ListAdd(ctl::kClipList, text);
    dlg.ListSetSel(ctl::kClipList, 0);
    for (int id = ctl::kFirstCategory; id < ctl::kFirstCategory + CATEGORY_COUNT; ++id)
        dlg.CheckItem(id, false);
    dlg.CheckItem(playListRadio ? 1022 : ctl::kFirstCategory, true);
}

void ExportTest::Export(std::optional<std::string> choice) {
    m_prompts->QueueChoice(std::move(choice));
    ProgramOutput(Player(), Dialog());
}

std::string ExportTest::Golden(const std::string& name) {
    const std::string path = std::string(VOXLET_TEST_DATA) + "/export/" + name;
    std::string bytes = testsupport::ReadFile(path);
    EXPECT_FALSE(bytes.empty()) << "missing golden file " << path;
    return bytes;
}

std::size_t Count(const std::string& text, std::string_view what) {
    std::size_t n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        ++n;
    return n;
}
