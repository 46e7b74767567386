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
    // tests/fixtures/export/tree: in Ninshiki.csv 表 is 95 5C and in voice.csv
    // ソ is 83 5C in CP932, a second byte that is a backslash. golden.txt has a
    // comment, letter targets, an empty line, id-0 pauses, skipped lines, a
    // digit-colon-comma line, a ';' note and a negative pause.
    for (const char* name :
         {"Ninshiki.csv", "voice.csv", "voice/play_list/golden.txt", "voice/play_list/missing.txt"})
        Put(name, testsupport::ReadFile(std::string(VOXLET_TEST_DATA) + "/export/tree/" + name));
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
