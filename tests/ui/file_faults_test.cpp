// The play-list editor's save through the file seam: a write that fails at
// any of its calls shows the message with the system's reason, leaves the
// old file byte for byte and the changes unsaved; a missing play_list folder
// is made.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "platform/file_faults.h"
#include "resources/string_table.h"
#include "resources/templates.h"
#include "support/player_fixture.h"
#include "ui/play_list_dlg.h"

using platform::FileCall;
namespace pl = ctl::playlist;

namespace {
constexpr char kOldBytes[] = "; old\r\n101\r\n0,2";
} // namespace

class PlayListSaveTest : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        Put("voice.csv", "h\n1,ただいま,,a.wav,101,2,1,0\n1,おかえり,,b.wav,102,3,1,0\n");
        InMode(MODE_VOICE);
        m_editor = std::make_unique<CPlayListDlg>(Player(), Dialog());
        ASSERT_TRUE(m_editor->LoadClips());
        m_editor->OnInitDialog(m_host);
    }
    void TearDown() override {
        platform::SetFileFaultPlan(nullptr);
        m_editor.reset();
        PlayerTest::TearDown();
    }
    void Click(int id) { m_editor->OnCommand(m_host, id, platform::kNotifyClicked); }
    std::vector<std::string> Messages() const {
        std::vector<std::string> shown;
        for (const auto& line : m_log)
            if (line.starts_with("message "))
                shown.push_back(line);
        return shown;
    }

    platform::HeadlessDialogHost m_host{PlayListDialogTemplate(), [](const std::string&) {}};
    std::unique_ptr<CPlayListDlg> m_editor;
};

TEST_F(PlayListSaveTest, AFailedSaveKeepsTheOldFileAndTheChanges) {
    const std::string path = m_dir / "voice/play_list/old.txt";
    testsupport::WriteFile(path, kOldBytes);
    m_host.SetItemText(pl::kNameField, "old");
    Click(pl::kAddPause); // a change, on a new list named as the old file
    const struct {
        FileCall call;
        int error;
    } faults[] = {{FileCall::Open, EACCES},
                  {FileCall::Write, ENOSPC},
                  {FileCall::Sync, EIO},
                  {FileCall::Close, EIO},
                  {FileCall::Rename, EROFS}};
    for (const auto& [call, error] : faults) {
        SCOPED_TRACE(std::strerror(error));
        m_log.clear();
        m_prompts->QueueAnswer(platform::kIdYes); // replace the other list
        platform::FileFaultPlan plan{call, 1, error};
        platform::SetFileFaultPlan(&plan);
        Click(pl::kSave);
        platform::SetFileFaultPlan(nullptr);
        EXPECT_TRUE(plan.hit);
        const auto shown = Messages();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_TRUE(shown[0].starts_with("message 175 "));
        EXPECT_EQ(shown[1], "message 176 error: " +
                                platform::EscapeLineBreaks(
                                    FormatString(LoadStringId(ids::IDS_PLAY_LIST_SAVE_FAILED),
                                                 "old", std::strerror(error))) +
                                " -> OK");
        EXPECT_EQ(testsupport::ReadFile(path), kOldBytes);
    }
    // Still unsaved: Close asks; a save that works then writes the new list.
    m_log.clear();
    m_prompts->QueueAnswer(platform::kIdYes);
    m_prompts->QueueAnswer(platform::kIdYes);
    Click(pl::kClose);
    EXPECT_TRUE(m_host.Ended());
    EXPECT_EQ(testsupport::ReadFile(path), "0,1\r\n");
}

TEST_F(PlayListSaveTest, SavingMakesAMissingPlayListFolder) {
    m_host.SetItemText(pl::kNameField, "first");
    Click(pl::kAddPause);
    Click(pl::kSave);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(testsupport::ReadFile(m_dir / "voice/play_list/first.txt"), "0,1\r\n");
    EXPECT_EQ(m_host.ComboGetText(pl::kListCombo), "first");
}
