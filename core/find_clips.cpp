#include "core/find_fold.h"
#include "core/voice_player.h"
#include "platform/dialog_host.h"

using platform::DialogHost;

void CVoicePlayer::FindClips(DialogHost& dlg, std::string_view text) {
    if (m_view.category < 0)
        return; // nothing is listed yet
    std::string folded = FoldForFind(text);
    if (folded == m_view.find)
        return; // the box was set to what it already holds
    if (folded.empty()) {
        const int back = m_view.categoryBeforeFind;
        EndFind(dlg);
        dlg.CheckItem(ctl::kFirstCategory + back, true);
        FillList(dlg, back);
        return;
    }
    if (!Finding()) {
        m_view.categoryBeforeFind = m_view.category;
        dlg.CheckItem(ctl::kFirstCategory + m_view.category, false);
    }
    m_view.find = std::move(folded);
    // The play lists are filtered by name; anything else lists catalogue rows
    // as the "all" category does, so Play, list play and program output treat
    // the found rows as that category's.
    FillList(dlg, PlayListsShowing() ? CATEGORY_PLAY_LISTS : CATEGORY_COUNT - 1);
}

void CVoicePlayer::EndFind(DialogHost& dlg) {
    if (!Finding())
        return;
    m_view.find.clear();
    m_view.found.clear();
    // The box's change notification that follows finds nothing to do.
    dlg.SetItemText(ctl::kFindBox, "");
}
