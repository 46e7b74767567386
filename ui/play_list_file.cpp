// The play-list editor's files: opening, saving, playing, and the question
// before unsaved changes are dropped.
#include <cstring>

#include "core/voice_player.h"
#include "platform/dialog_host.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "resources/labels.h"
#include "resources/string_table.h"
#include "ui/play_list_dlg.h"

using platform::DialogHost;
using namespace ctl::playlist;

namespace {

int NameFaultMessage(PlayListNameFault fault) {
    switch (fault) {
    case PlayListNameFault::Empty:
        return ids::IDS_PLAY_LIST_NAME_EMPTY;
    case PlayListNameFault::BadCharacter:
        return ids::IDS_PLAY_LIST_NAME_CHARACTER;
    case PlayListNameFault::Reserved:
        return ids::IDS_PLAY_LIST_NAME_RESERVED;
    case PlayListNameFault::NotCp932:
        return ids::IDS_PLAY_LIST_NAME_NOT_CP932;
    case PlayListNameFault::TooLong:
        return ids::IDS_PLAY_LIST_NAME_TOO_LONG;
    case PlayListNameFault::None:
        break;
    }
    return 0;
}

int AskYesNo(platform::Prompts& prompts, int id, std::string_view arg,
             std::string_view extraButton = {}) {
    platform::MessageStyle style;
    style.buttons = platform::MsgButtons::YesNo;
    style.icon = platform::MsgIcon::Question;
    style.extraButton = extraButton;
    return ShowMessage(prompts, id, style, arg);
}

} // namespace

bool CPlayListDlg::Open(DialogHost& dlg, const std::string& name) {
    std::string bytes;
    if (!platform::ReadDataFile(PlayListPath(m_player.Settings().voiceFolder, name), bytes)) {
        ShowOkMessage(*m_player.GetServices().prompts, ids::IDS_PLAYLIST_FAILED,
                      platform::MsgIcon::None);
        return false;
    }
    m_list = {name, PlayListDocument::FromBytes(bytes)};
    dlg.SetItemText(kNameField, name);
    ShowListNames(dlg);
    ShowLines(dlg, -1);
    ShowSelectedLine(dlg);
    return true;
}

void CPlayListDlg::OnOpen(DialogHost& dlg) {
    if (dlg.ComboGetSel(kListCombo) < 0)
        return;
    const std::string name = dlg.ComboGetText(kListCombo);
    if (SettleChanges(dlg))
        Open(dlg, name);
}

void CPlayListDlg::OnNew(DialogHost& dlg) {
    if (!SettleChanges(dlg))
        return;
    m_list = {};
    dlg.SetItemText(kNameField, "");
    ShowListNames(dlg);
    ShowLines(dlg, -1);
    ShowSelectedLine(dlg);
}

void CPlayListDlg::OnClose(DialogHost& dlg) {
    if (SettleChanges(dlg))
        dlg.EndDialog(platform::kIdCancel);
}

void CPlayListDlg::OnPlay(DialogHost& dlg) {
    platform::Prompts& prompts = *m_player.GetServices().prompts;
    // A play list names clips of the Tiko catalogue; the player resolves them
    // against the catalogue its list shows.
    if (m_player.ClipList().mode != MODE_VOICE || m_player.Catalogue().hidden) {
        ShowOkMessage(prompts, ids::IDS_PLAY_LIST_PLAY_MODE, platform::MsgIcon::Info);
        return;
    }
    const bool saved = !m_list.name.empty() && !m_list.document.Modified() &&
                       dlg.GetItemText(kNameField) == m_list.name;
    if (!saved && (AskYesNo(prompts, ids::IDS_PLAY_LIST_ASK_SAVE_TO_PLAY, {}) != platform::kIdYes ||
                   !Save(dlg)))
        return;
    m_player.PlayPlayList(m_main, m_list.name);
}

bool CPlayListDlg::SettleChanges(DialogHost& dlg) {
    if (!m_list.document.Modified())
        return true;
    switch (AskYesNo(*m_player.GetServices().prompts, ids::IDS_PLAY_LIST_ASK_SAVE, {},
                     labels::kCancelButton)) {
    case platform::kIdYes:
        return Save(dlg);
    case platform::kIdNo:
        return true;
    default:
        return false;
    }
}

bool CPlayListDlg::Save(DialogHost& dlg) {
    platform::Prompts& prompts = *m_player.GetServices().prompts;
    if (PauseFieldRefused(dlg)) {
        ShowOkMessage(prompts, ids::IDS_PLAY_LIST_PAUSE_INVALID, platform::MsgIcon::Warning);
        return false;
    }
    const std::string name = dlg.GetItemText(kNameField);
    const std::string& voiceFolder = m_player.Settings().voiceFolder;
    if (const auto fault = CheckPlayListName(name, voiceFolder); fault != PlayListNameFault::None) {
        ShowOkMessage(prompts, NameFaultMessage(fault), platform::MsgIcon::Warning, name);
        return false;
    }
    const std::string path = PlayListPath(voiceFolder, name);
    if (name != m_list.name && platform::PathExists(path) &&
        AskYesNo(prompts, ids::IDS_PLAY_LIST_OVERWRITE, name) != platform::kIdYes)
        return false;

    std::string reason = platform::MakeFolder(platform::ResolvePath(PlayListFolder(voiceFolder)));
    if (reason.empty()) {
        bool damaged = false;
        const int error =
            platform::WriteWholeFile(platform::ResolvePath(path), m_list.document.ToBytes(),
                                     platform::FileKind::Precious, &damaged);
        if (error != 0)
            reason = std::strerror(error);
        if (damaged) {
            reason.push_back('\n');
            reason += LoadStringId(ids::IDS_FILE_MAY_BE_DAMAGED);
        }
    }
    if (!reason.empty()) {
        ShowOkMessage(prompts, ids::IDS_PLAY_LIST_SAVE_FAILED, platform::MsgIcon::Error, name,
                      reason);
        return false;
    }
    m_list.document.MarkSaved();
    m_list.name = name;
    ShowListNames(dlg);
    m_player.RefreshPlayLists(m_main);
    return true;
}

void CPlayListDlg::ShowListNames(DialogHost& dlg) {
    dlg.ComboReset(kListCombo);
    for (const auto& name : ListPlayListNames(m_player.Settings().voiceFolder)) {
        const int item = dlg.ComboAdd(kListCombo, name);
        if (name == m_list.name)
            dlg.ComboSetSel(kListCombo, item);
    }
}
