// The prompts seam on wx: message boxes (caption, buttons, icon, default
// button, answers) and file dialogs (filter, initial folder and name, default
// extension, overwrite prompt).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include <gtk/gtk.h>

#include "gui/gui_support.h"
#include "platform/dialog_host.h"
#include "ui/wx/wx_prompts.h"

using namespace platform;
using guitest::Inspect;

// Each style as the box shows it (the program's name as caption, the text, the
// style bits, the program's own button labels whatever the system language:
// the tests run under LANG=C) and the answer of each button; then shown for
// real, titled and named for screen readers with the program's name (GTK
// would name it after its icon) and answered through GTK.
TEST(WxMessages, CaptionIsTheApplicationNameAndAnswersMapToIds) {
    const std::string text = "見つかりません。\n次の行", extra = "データフォルダー指定";
    const MessageStyle question{MsgButtons::YesNo, MsgIcon::Question, kIdNo, {}},
        three{MsgButtons::YesNo, MsgIcon::Question, kIdNo, extra},
        error{MsgButtons::Ok, MsgIcon::Error, 0, {}};
    const long yesNo = wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION;
    const struct {
        const MessageStyle& style;
        int press, answer, response;
        long mask, bits;    // the style bits in mask are bits
        std::string labels; // in "yes|no|ok|extra", the labels
    } cases[] = {
        {question, wxID_YES, kIdYes, GTK_RESPONSE_YES, yesNo | wxHELP, yesNo,
         "はい(_Y)|いいえ(_N)|"},
        {question, wxID_NO, kIdNo, GTK_RESPONSE_NO, yesNo | wxHELP, yesNo, "はい(_Y)|いいえ(_N)|"},
        {three, wxID_HELP, kIdExtra, GTK_RESPONSE_HELP, yesNo, yesNo, "|" + extra},
        {error, wxID_OK, kIdOk, GTK_RESPONSE_OK, wxOK | wxYES_NO | wxICON_ERROR,
         wxOK | wxICON_ERROR, "|OK|"},
    };
    for (const auto& c : cases) {
        int rc = 0;
        wxTEST_DIALOG(rc = voxwx::WxPrompts().Message(105, text, c.style),
                      Inspect<wxMessageDialog>([&c](wxMessageDialog* dlg) {
                          EXPECT_EQ(dlg->GetMessageDialogStyle() & c.mask, c.bits);
                          EXPECT_THAT((dlg->GetYesLabel() + "|" + dlg->GetNoLabel() + "|" +
                                       dlg->GetOKLabel() + "|" + dlg->GetHelpLabel())
                                          .utf8_string(),
                                      ::testing::HasSubstr(c.labels));
                          return c.press;
                      }));
        EXPECT_EQ(rc, c.answer);
        EXPECT_EQ(guitest::AnswerRealMessageBox(
                      [&] { rc = voxwx::WxPrompts().Message(105, text, c.style); }, c.response),
                  "voxlet_gui_tests|voxlet_gui_tests|" + text);
        EXPECT_EQ(rc, c.answer);
    }
}

TEST(WxFileDialogs, OpenAndSaveRunTheStandardDialogs) {
    voxwx::WxPrompts prompts;
    testsupport::TempDir out;
    std::string wildcard, proposed;           // proposed: the name in a save dialog's name field
    std::string title, directory, cancelText; // cancelText: as the chooser shows it
    long style = 0;
    // Chooses path ("": what the dialog proposes) and answers id.
    auto choose = [&](const std::string& path, int id = wxID_OK) {
        return Inspect<wxFileDialog>([&, path, id](wxFileDialog* dlg) {
            wildcard = dlg->GetWildcard().utf8_string();
            style = dlg->GetWindowStyle();
            title = dlg->GetMessage().utf8_string();
            directory = dlg->GetDirectory().utf8_string();
            const gchar* cancel =
                atk_object_get_name(gtk_widget_get_accessible(gtk_dialog_get_widget_for_response(
                    GTK_DIALOG(dlg->GetHandle()), GTK_RESPONSE_CANCEL)));
            cancelText = cancel ? cancel : "";
            if (style & wxFD_SAVE) {
                gchar* name = gtk_file_chooser_get_current_name(GTK_FILE_CHOOSER(dlg->GetHandle()));
                proposed = name ? name : "";
                g_free(name);
            }
            // Let the chooser finish reading its folder before it goes away.
            guitest::Pump(200);
            if (!path.empty()) {
                dlg->SetPath(wxString::FromUTF8(path));
                guitest::Pump(200); // GTK changes the chooser's folder asynchronously
            }
            return id;
        });
    };
    FileDialogSpec spec;
    spec.defaultExt = "TM4";
    spec.filter = "ﾌﾟﾛｸﾞﾗﾑﾌｧｲﾙ|*.TM4||";
    spec.overwritePrompt = true;
    std::optional<std::string> chosen;
    wxTEST_DIALOG(chosen = prompts.FileSave(spec), choose(out / "prog"));
    EXPECT_EQ(chosen, out / "prog.TM4");
    EXPECT_EQ(style & (wxFD_SAVE | wxFD_OVERWRITE_PROMPT), wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    EXPECT_EQ(title, "名前を付けて保存");
    // GTK's own texts in Japanese under LANG=C.
    EXPECT_THAT(cancelText, ::testing::StartsWith("キャンセル"));
    EXPECT_EQ(wildcard, "ﾌﾟﾛｸﾞﾗﾑﾌｧｲﾙ|*.[tT][mM]4");

    // Without the prompt; the name proposed is the initial one with the default
    // extension, and accepting it saves under that name.
    spec.overwritePrompt = false;
    spec.initialName = out.Path() + "\\greetings";
    wxTEST_DIALOG(chosen = prompts.FileSave(spec), choose(""));
    EXPECT_FALSE(style & wxFD_OVERWRITE_PROMPT);
    EXPECT_EQ(proposed, "greetings.TM4");
    EXPECT_EQ(chosen, out / "greetings.TM4");

    // An open dialog with a title of its own; a start in the requested folder
    // when the initial name names none, in the nearest existing one when that
    // is gone; nothing chosen when it is cancelled.
    spec.title = "音声認識ファイル(NF01.wav)を選んでください";
    spec.initialName = "NF01.wav";
    spec.folder = out / "gone/voice";
    wxTEST_DIALOG(chosen = prompts.FileOpen(spec), choose("", wxID_CANCEL));
    EXPECT_FALSE(chosen);
    EXPECT_TRUE(style & wxFD_OPEN);
    EXPECT_EQ(title, spec.title);
    EXPECT_EQ(directory, out.Path());
}
