#include "ui/play_list_dlg.h"

#include <algorithm>

#include "core/find_fold.h"
#include "core/voice_player.h"
#include "platform/dialog_host.h"
#include "resources/string_table.h"
#include "resources/templates.h"

using platform::DialogHost;
using namespace ctl::playlist;

namespace {
// A pause added by "休止を追加": one second without a clip ("0,1").
constexpr PlayListEntry kAddedPause{0, 1, std::nullopt};
} // namespace

bool CPlayListDlg::LoadClips() {
    if (m_clips.catalogue.Read(m_player))
        return true;
    ShowOkMessage(*m_player.GetServices().prompts, ids::IDS_VOICE_CSV_FAILED,
                  platform::MsgIcon::Warning);
    return false;
}

const platform::DialogTemplate& CPlayListDlg::Template() const {
    return PlayListDialogTemplate();
}

void CPlayListDlg::OnInitDialog(DialogHost& dlg) {
    ShowClips(dlg, "");
    const int selected = m_main.ListGetSel(ctl::kClipList);
    if (!m_player.PlayListsShowing() || selected < 0 ||
        !Open(dlg, m_main.ListGetText(ctl::kClipList, selected))) {
        ShowListNames(dlg);
        ShowLines(dlg, -1);
    }
}

void CPlayListDlg::OnCommand(DialogHost& dlg, int id, int notification) {
    if (id == kClipFind) {
        OnClipFind(dlg, notification);
        return;
    }
    if (id == kPauseField && notification == platform::kNotifyEditChange) {
        OnPauseChange(dlg);
        return;
    }
    if (notification == platform::kNotifySelChange) {
        if (id == kLines)
            ShowSelectedLine(dlg);
        else if (id == kTargetCombo)
            OnTargetChange(dlg);
        return;
    }
    if (id == kClips && notification == platform::kNotifyDoubleClick) {
        OnAddClip(dlg);
        return;
    }
    if (notification != platform::kNotifyClicked)
        return;
    switch (id) {
    case kOpen:
        OnOpen(dlg);
        break;
    case kNew:
        OnNew(dlg);
        break;
    case kUp:
    case kDown:
        OnMove(dlg, id == kUp);
        break;
    case kRemove:
        OnRemove(dlg);
        break;
    case kAddClip:
        OnAddClip(dlg);
        break;
    case kAddPause:
        OnAddEntry(dlg, kAddedPause);
        break;
    case kPlay:
        OnPlay(dlg);
        break;
    case kSave:
        Save(dlg);
        break;
    case kClose:
        OnClose(dlg);
        break;
    default:
        break;
    }
}

int CPlayListDlg::SelectedLine(const DialogHost& dlg) const {
    const int line = dlg.ListGetSel(kLines);
    return line >= 0 && static_cast<std::size_t>(line) < m_list.document.EntryCount() ? line : -1;
}

void CPlayListDlg::ShowLines(DialogHost& dlg, int select) {
    const PlayListDocument& document = m_list.document;
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < document.EntryCount(); ++i)
        texts.push_back(PlayListLineText(document.Entry(i), m_clips.catalogue));
    dlg.ListReset(kLines);
    dlg.ListAddAll(kLines, std::vector<std::string_view>(texts.begin(), texts.end()));
    dlg.ListSetSel(kLines, select);
    EnableLineControls(dlg);
}

void CPlayListDlg::EnableLineControls(DialogHost& dlg) {
    const int line = SelectedLine(dlg);
    dlg.EnableItem(kUp, line > 0);
    dlg.EnableItem(kDown,
                   line >= 0 && static_cast<std::size_t>(line) + 1 < m_list.document.EntryCount());
    dlg.EnableItem(kRemove, line >= 0);
    dlg.EnableItem(kPauseField, line >= 0);
    dlg.EnableItem(kTargetCombo, line >= 0);
}

void CPlayListDlg::ShowSelectedLine(DialogHost& dlg) {
    EnableLineControls(dlg);
    const int line = SelectedLine(dlg);
    const PlayListEntry entry = line < 0 ? PlayListEntry{} : m_list.document.Entry(line);
    // A line's own target stays offered when the route does not offer it.
    const PlayerSettings& settings = m_player.Settings();
    m_targets = OfferedTargets(settings.route, m_player.Targets().hosts.size());
    if (entry.target &&
        std::find(m_targets.begin(), m_targets.end(), *entry.target) == m_targets.end())
        m_targets.push_back(*entry.target);
    dlg.ComboReset(kTargetCombo);
    dlg.ComboAdd(kTargetCombo, LoadStringId(ids::IDS_PLAY_LIST_NO_TARGET));
    int chosen = 0;
    for (const char target : m_targets) {
        const int item = dlg.ComboAdd(kTargetCombo, std::string(1, target));
        if (entry.target == target)
            chosen = item;
    }
    dlg.ComboSetSel(kTargetCombo, chosen);
    dlg.SetItemText(kPauseField, PauseFieldText(entry));
}

void CPlayListDlg::OnAddEntry(DialogHost& dlg, const PlayListEntry& entry) {
    const int line = SelectedLine(dlg);
    const std::size_t at = line < 0 ? m_list.document.EntryCount() : line + 1;
    m_list.document.Insert(at, entry);
    ShowLines(dlg, static_cast<int>(at));
    ShowSelectedLine(dlg);
}

void CPlayListDlg::OnAddClip(DialogHost& dlg) {
    if (m_clips.shown.empty())
        return;
    const int clip = std::max(dlg.ListGetSel(kClips), 0);
    if (static_cast<std::size_t>(clip) >= m_clips.shown.size())
        return;
    PlayListEntry entry;
    entry.id = m_clips.catalogue.Row(m_clips.shown[clip]).nSoundId;
    OnAddEntry(dlg, entry);
}

void CPlayListDlg::OnRemove(DialogHost& dlg) {
    const int line = SelectedLine(dlg);
    if (line < 0)
        return;
    m_list.document.Remove(line);
    const int count = static_cast<int>(m_list.document.EntryCount());
    ShowLines(dlg, std::min(line, count - 1));
    ShowSelectedLine(dlg);
}

void CPlayListDlg::OnMove(DialogHost& dlg, bool up) {
    const int line = SelectedLine(dlg);
    const int other = up ? line - 1 : line + 1;
    if (line < 0 || other < 0 || static_cast<std::size_t>(other) >= m_list.document.EntryCount())
        return;
    m_list.document.MoveDown(std::min(line, other));
    ShowLines(dlg, other);
    ShowSelectedLine(dlg);
}

void CPlayListDlg::OnPauseChange(DialogHost& dlg) {
    // The field's own text is left as typed: only the line's text follows.
    const int line = SelectedLine(dlg);
    const auto pause = ParsePauseField(dlg.GetItemText(kPauseField));
    if (line < 0 || !pause)
        return;
    PlayListEntry entry = m_list.document.Entry(line);
    if (entry.extraSeconds == pause->seconds)
        return; // the field was set to what the line holds
    entry.extraSeconds = pause->seconds;
    m_list.document.Set(line, entry);
    ShowLines(dlg, line);
}

void CPlayListDlg::OnTargetChange(DialogHost& dlg) {
    const int line = SelectedLine(dlg);
    const int item = dlg.ComboGetSel(kTargetCombo);
    if (line < 0 || item < 0 || static_cast<std::size_t>(item) > m_targets.size())
        return;
    PlayListEntry entry = m_list.document.Entry(line);
    const std::optional<char> target =
        item == 0 ? std::nullopt : std::optional<char>(m_targets[item - 1]);
    if (entry.target == target)
        return;
    entry.target = target;
    m_list.document.Set(line, entry);
    ShowLines(dlg, line);
}

bool CPlayListDlg::PauseFieldRefused(const DialogHost& dlg) const {
    const int line = SelectedLine(dlg);
    if (line < 0)
        return false;
    const std::string text = dlg.GetItemText(kPauseField);
    // A line read with a pause the field does not take (a negative one) is
    // not a refused change while the field still shows it.
    return !ParsePauseField(text) && text != PauseFieldText(m_list.document.Entry(line));
}

void CPlayListDlg::OnClipFind(DialogHost& dlg, int notification) {
    if (notification == platform::kNotifyEditChange) {
        ShowClips(dlg, dlg.GetItemText(kClipFind));
    } else if (notification == platform::kNotifyEnterKey) {
        OnAddClip(dlg);
    } else if (notification == platform::kNotifyEscapeKey) {
        // Esc empties a box that holds text; otherwise it closes, as Esc
        // anywhere in the dialog does.
        if (dlg.GetItemText(kClipFind).empty()) {
            OnClose(dlg);
        } else {
            dlg.SetItemText(kClipFind, "");
            ShowClips(dlg, "");
        }
    }
}

void CPlayListDlg::ShowClips(DialogHost& dlg, std::string_view text) {
    std::string folded = FoldForFind(text);
    if (m_clips.listed && folded == m_clips.find)
        return; // the box was set to what it already holds
    m_clips.find = std::move(folded);
    m_clips.listed = true;
    m_clips.shown.clear();
    std::vector<std::string_view> texts;
    for (const std::size_t row : m_clips.catalogue.Clips()) {
        const VoiceEntry& entry = m_clips.catalogue.Row(row);
        if (!EntryHoldsFind(entry, m_clips.find))
            continue;
        m_clips.shown.push_back(row);
        texts.push_back(entry.pszText);
    }
    dlg.ListReset(kClips);
    dlg.ListAddAll(kClips, texts);
}
