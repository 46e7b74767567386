// The prompts seam on wx: message boxes (caption, buttons, icon, default
// button, answers), file dialogs (filter, initial folder and name, default
// extension, overwrite prompt) and template dialogs run modally.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>

#include <gtk/gtk.h>

#include <filesystem>

#include "gui/gui_support.h"
#include "platform/dialog_host.h"
#include "platform/paths.h"
#include "ui/about_dlg.h"
#include "ui/wx/wx_prompts.h"

using namespace platform;

namespace {

struct SeenMessage {
    wxString caption;
    wxString message;
    long style = 0;
};

class MessageExpectation : public wxExpectModalBase<wxMessageDialog, MessageExpectation> {
public:
    MessageExpectation(SeenMessage& seen, int answer) : m_seen(&seen), m_answer(answer) {}

protected:
    int OnInvoked(wxMessageDialog* dlg) const override {
        m_seen->caption = dlg->GetCaption();
        m_seen->message = dlg->GetMessage();
        m_seen->style = dlg->GetMessageDialogStyle();
        return m_answer;
    }

private:
    SeenMessage* m_seen;
    int m_answer;
};

struct SeenFileDialog {
    wxString wildcard;
    wxString directory;
    wxString filename;
    std::string proposed; // the name in a save dialog's name field
    long style = 0;
};

class FileExpectation : public wxExpectModalBase<wxFileDialog, FileExpectation> {
public:
    FileExpectation(SeenFileDialog& seen, wxString path, int answer = wxID_OK)
        : m_seen(&seen), m_path(std::move(path)), m_answer(answer) {}

protected:
    int OnInvoked(wxFileDialog* dlg) const override {
        m_seen->wildcard = dlg->GetWildcard();
        m_seen->directory = dlg->GetDirectory();
        m_seen->filename = dlg->GetFilename();
        m_seen->style = dlg->GetWindowStyle();
        if (m_seen->style & wxFD_SAVE) {
            gchar* name = gtk_file_chooser_get_current_name(GTK_FILE_CHOOSER(dlg->GetHandle()));
            m_seen->proposed = name ? name : "";
            g_free(name);
        }
        // Let the chooser finish reading its folder before it goes away.
        guitest::Pump(200);
        if (!m_path.empty()) {
            dlg->SetPath(m_path);
            guitest::Pump(200); // GTK changes the chooser's folder asynchronously
        }
        return m_answer;
    }

private:
    SeenFileDialog* m_seen;
    wxString m_path;
    int m_answer;
};

} // namespace

TEST(WxMessages, CaptionIsTheApplicationNameAndAnswersMapToIds) {
    voxwx::WxPrompts prompts;
    SeenMessage seen;
    MessageStyle question;
    question.buttons = MsgButtons::YesNo;
    question.icon = MsgIcon::Question;
    question.defaultButton = kIdNo;
    int rc = 0;
    wxTEST_DIALOG(rc = prompts.Message(105, "見つかりません。\n次の行", question),
                  MessageExpectation(seen, wxID_YES));
    EXPECT_EQ(rc, kIdYes);
    EXPECT_EQ(seen.caption.utf8_string(), ApplicationName());
    EXPECT_EQ(ApplicationName(), "voxlet_gui_tests");
    EXPECT_EQ(seen.message.utf8_string(), "見つかりません。\n次の行");
    EXPECT_TRUE(seen.style & wxYES_NO);
    EXPECT_TRUE(seen.style & wxNO_DEFAULT);
    EXPECT_TRUE(seen.style & wxICON_QUESTION);

    wxTEST_DIALOG(rc = prompts.Message(105, "x", question), MessageExpectation(seen, wxID_NO));
    EXPECT_EQ(rc, kIdNo);

    MessageStyle error;
    error.icon = MsgIcon::Error;
    wxTEST_DIALOG(rc = prompts.Message(125, "音声の再生に失敗しました", error),
                  MessageExpectation(seen, wxID_OK));
    EXPECT_EQ(rc, kIdOk);
    EXPECT_TRUE(seen.style & wxOK);
    EXPECT_FALSE(seen.style & wxYES_NO);
    EXPECT_TRUE(seen.style & wxICON_ERROR);
}

TEST(WxMessages, StyleBits) {
    MessageStyle s;
    EXPECT_EQ(voxwx::MessageBoxStyle(s), wxOK | wxICON_NONE);
    s.icon = MsgIcon::Info;
    EXPECT_EQ(voxwx::MessageBoxStyle(s), wxOK | wxICON_INFORMATION);
    s.icon = MsgIcon::Warning;
    EXPECT_EQ(voxwx::MessageBoxStyle(s), wxOK | wxICON_WARNING);
    s.buttons = MsgButtons::YesNo;
    s.icon = MsgIcon::Question;
    EXPECT_EQ(voxwx::MessageBoxStyle(s), wxYES_NO | wxYES_DEFAULT | wxICON_QUESTION);
}

TEST(WxFileDialogs, FilterBecomesAWxWildcardMatchingAnyCase) {
    FileDialogSpec spec;
    spec.filter = "ﾌﾟﾛｸﾞﾗﾑﾌｧｲﾙ/音声ﾌｧｲﾙ|*.TM4;*.wav||";
    EXPECT_EQ(voxwx::FileDialogParts(spec).wildcard,
              "ﾌﾟﾛｸﾞﾗﾑﾌｧｲﾙ/音声ﾌｧｲﾙ|*.[tT][mM]4;*.[wW][aA][vV]");
    spec.filter = "A|*.a|B|*.b||";
    EXPECT_EQ(voxwx::FileDialogParts(spec).wildcard, "A|*.[aA]|B|*.[bB]");
    spec.filter = "";
    EXPECT_EQ(voxwx::FileDialogParts(spec).wildcard, "");
    EXPECT_EQ(voxwx::CaseInsensitivePattern("NF01.wav"), "[nN][fF]01.[wW][aA][vV]");
}

TEST(WxFileDialogs, InitialNameIsSplitIntoFolderAndFile) {
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir / "voice/Ninshiki");
    FileDialogSpec spec;
    spec.initialName = dir.Path() + "\\VOICE\\ninshiki\\NF01.wav"; // as data spells it
    const auto parts = voxwx::FileDialogParts(spec);
    EXPECT_EQ(parts.folder, dir / "voice/Ninshiki");
    EXPECT_EQ(parts.file, "NF01.wav");
    spec.initialName = "";
    EXPECT_EQ(voxwx::FileDialogParts(spec).folder, "");
    EXPECT_EQ(voxwx::FileDialogParts(spec).file, "");
    spec.initialName = "name.TM4";
    EXPECT_EQ(voxwx::FileDialogParts(spec).folder, "");
    EXPECT_EQ(voxwx::FileDialogParts(spec).file, "name.TM4");
    // The default extension is added unless the name ends in it, in any case.
    spec.defaultExt = "TM4";
    EXPECT_EQ(voxwx::FileDialogParts(spec).file, "name.TM4");
    spec.initialName = "name.tm4";
    EXPECT_EQ(voxwx::FileDialogParts(spec).file, "name.tm4");
    spec.initialName = "a.b";
    EXPECT_EQ(voxwx::FileDialogParts(spec).file, "a.b.TM4");
}

TEST(WxFileDialogs, DefaultExtensionIsAddedWhenTheNameHasNone) {
    EXPECT_EQ(voxwx::WithDefaultExtension("/tmp/prog", "TM4"), "/tmp/prog.TM4");
    EXPECT_EQ(voxwx::WithDefaultExtension("/tmp/prog.tm4", "TM4"), "/tmp/prog.tm4");
    EXPECT_EQ(voxwx::WithDefaultExtension("/tmp/a.b/prog", "TM4"), "/tmp/a.b/prog.TM4");
    EXPECT_EQ(voxwx::WithDefaultExtension("/tmp/prog", ""), "/tmp/prog");
}

TEST(WxFileDialogs, OpenAndSaveRunTheStandardDialogs) {
    voxwx::WxPrompts prompts;
    testsupport::TempDir out;
    const wxString chosenName = wxString::FromUTF8(out / "prog");
    SeenFileDialog seen;
    FileDialogSpec spec;
    spec.defaultExt = "TM4";
    spec.filter = "ﾌﾟﾛｸﾞﾗﾑﾌｧｲﾙ|*.TM4||";
    spec.overwritePrompt = true;
    std::optional<std::string> chosen;
    wxTEST_DIALOG(chosen = prompts.FileSave(spec), FileExpectation(seen, chosenName));
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, out / "prog.TM4");
    EXPECT_TRUE(seen.style & wxFD_SAVE);
    EXPECT_TRUE(seen.style & wxFD_OVERWRITE_PROMPT);
    EXPECT_EQ(seen.wildcard.utf8_string(), "ﾌﾟﾛｸﾞﾗﾑﾌｧｲﾙ|*.[tT][mM]4");

    spec.overwritePrompt = false;
    wxTEST_DIALOG(chosen = prompts.FileSave(spec), FileExpectation(seen, chosenName));
    EXPECT_FALSE(seen.style & wxFD_OVERWRITE_PROMPT);

    // The name proposed is the initial one with the default extension, and
    // accepting it saves under that name.
    spec.initialName = out.Path() + "\\greetings";
    wxTEST_DIALOG(chosen = prompts.FileSave(spec), FileExpectation(seen, wxString()));
    EXPECT_EQ(seen.proposed, "greetings.TM4");
    EXPECT_EQ(chosen, out / "greetings.TM4");

    wxTEST_DIALOG(chosen = prompts.FileOpen(spec), FileExpectation(seen, wxString(), wxID_CANCEL));
    EXPECT_FALSE(chosen);
    EXPECT_TRUE(seen.style & wxFD_OPEN);
}

TEST(WxModal, RunModalBuildsTheAboutBoxFromItsTemplate) {
    voxwx::WxPrompts prompts;
    CAboutDlg about;
    class AboutExpectation : public wxExpectModalBase<voxwx::WxTemplateDialog, AboutExpectation> {
    protected:
        int OnInvoked(voxwx::WxTemplateDialog* dlg) const override {
            EXPECT_EQ(dlg->GetTitle().utf8_string(), "バージョン情報 Voxlet");
            EXPECT_NE(dlg->Control(kIdOk), nullptr);
            EXPECT_EQ(dlg->GetDefaultItem(), dlg->Control(kIdOk));
            EXPECT_EQ(dlg->GetFont().GetPointSize(), 9);
            return kIdOk;
        }
    };
    int rc = 0;
    wxTEST_DIALOG(rc = prompts.RunModal(about), AboutExpectation());
    EXPECT_EQ(rc, kIdOk);
}
