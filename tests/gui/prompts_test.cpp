// The prompts seam on wx: message boxes (caption, buttons, icon, default
// button, answers) and file dialogs (filter, initial folder and name, default
// extension, overwrite prompt).
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
#include "ui/wx/wx_prompts.h"

using namespace platform;

namespace {

struct SeenMessage {
    wxString caption;
    wxString message;
    long style = 0;
    std::string buttons; // the labels, "|" between them
};

class MessageExpectation : public wxExpectModalBase<wxMessageDialog, MessageExpectation> {
public:
    MessageExpectation(SeenMessage& seen, int answer) : m_seen(&seen), m_answer(answer) {}

protected:
    int OnInvoked(wxMessageDialog* dlg) const override {
        m_seen->caption = dlg->GetCaption();
        m_seen->message = dlg->GetMessage();
        m_seen->style = dlg->GetMessageDialogStyle();
        m_seen->buttons = (dlg->GetYesLabel() + "|" + dlg->GetNoLabel() + "|" + dlg->GetOKLabel() +
                           "|" + dlg->GetHelpLabel())
                              .utf8_string();
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
    std::string title;
    std::string cancelText; // as the chooser shows it
};

// The text of the first label inside a widget.
std::string LabelText(GtkWidget* widget) {
    if (GTK_IS_LABEL(widget))
        return gtk_label_get_text(GTK_LABEL(widget));
    std::string text;
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* c = children; c && text.empty(); c = c->next)
            text = LabelText(GTK_WIDGET(c->data));
        g_list_free(children);
    }
    return text;
}

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
        m_seen->title = dlg->GetMessage().utf8_string();
        m_seen->cancelText = LabelText(
            gtk_dialog_get_widget_for_response(GTK_DIALOG(dlg->GetHandle()), GTK_RESPONSE_CANCEL));
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
    EXPECT_EQ(seen.caption.utf8_string(), "voxlet_gui_tests"); // the program's name
    EXPECT_EQ(seen.message.utf8_string(), "見つかりません。\n次の行");
    EXPECT_EQ(seen.style & (wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION),
              wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION);

    wxTEST_DIALOG(rc = prompts.Message(105, "x", question), MessageExpectation(seen, wxID_NO));
    EXPECT_EQ(rc, kIdNo);
    // The program's own labels, whatever the system language (the tests run
    // under LANG=C); a third button answers kIdExtra.
    EXPECT_EQ(seen.style & wxHELP, 0);
    EXPECT_THAT(seen.buttons, ::testing::StartsWith("はい(_Y)|いいえ(_N)|"));
    question.extraButton = "データフォルダー指定";
    wxTEST_DIALOG(rc = prompts.Message(105, "x", question), MessageExpectation(seen, wxID_HELP));
    EXPECT_EQ(rc, kIdExtra);
    EXPECT_THAT(seen.buttons, ::testing::EndsWith("|データフォルダー指定"));

    MessageStyle error;
    error.icon = MsgIcon::Error;
    wxTEST_DIALOG(rc = prompts.Message(125, "音声の再生に失敗しました", error),
                  MessageExpectation(seen, wxID_OK));
    EXPECT_EQ(rc, kIdOk);
    EXPECT_EQ(seen.style & (wxOK | wxYES_NO | wxICON_ERROR), wxOK | wxICON_ERROR);
    EXPECT_THAT(seen.buttons, ::testing::HasSubstr("|OK|"));
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
    EXPECT_EQ(seen.title, "名前を付けて保存");
    // GTK's own texts in Japanese under LANG=C.
    EXPECT_THAT(seen.cancelText, ::testing::StartsWith("キャンセル"));
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

    // A title of its own; a start in the spec's folder when the initial name
    // names none, in the nearest existing one when that is gone.
    spec.title = "音声認識ファイル(NF01.wav)を選んでください";
    spec.initialName = "NF01.wav";
    spec.folder = out / "gone/voice";
    wxTEST_DIALOG(chosen = prompts.FileOpen(spec), FileExpectation(seen, wxString(), wxID_CANCEL));
    EXPECT_EQ(seen.title, spec.title);
    EXPECT_EQ(seen.directory.utf8_string(), out.Path());
}
