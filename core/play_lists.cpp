#include "core/find_fold.h"
#include "core/voice_player.h"
#include "platform/dialog_host.h"
#include "platform/paths.h"

using platform::DialogHost;

std::string PlayListFolder(std::string_view voiceFolder) {
    return platform::JoinPath({voiceFolder, "play_list"});
}

std::string PlayListPath(std::string_view voiceFolder, std::string_view name) {
    return platform::JoinPath({voiceFolder, "play_list", std::string(name) + ".txt"});
}

std::vector<std::string> ListPlayListNames(std::string_view voiceFolder) {
    std::vector<std::string> names;
    for (auto& file : platform::ListFilesWithExtension(PlayListFolder(voiceFolder), "txt"))
        names.push_back(file.substr(0, file.rfind('.')));
    return names;
}

void CVoicePlayer::ListPlayLists(DialogHost& dlg) {
    for (const auto& name : ListPlayListNames(m_settings.voiceFolder))
        if (FoldForFind(name).find(m_view.find) != std::string::npos)
            dlg.ListAdd(ctl::kClipList, name);
    if (dlg.ListCount(ctl::kClipList) == 1)
        dlg.ListSetSel(ctl::kClipList, 0);
}

void CVoicePlayer::RefreshPlayLists(DialogHost& dlg) {
    if (!PlayListsShowing())
        return;
    const int selected = dlg.ListGetSel(ctl::kClipList);
    const std::string name = selected < 0 ? "" : dlg.ListGetText(ctl::kClipList, selected);
    dlg.ListReset(ctl::kClipList);
    ListPlayLists(dlg);
    for (int i = 0; selected >= 0 && i < dlg.ListCount(ctl::kClipList); ++i)
        if (dlg.ListGetText(ctl::kClipList, i) == name)
            dlg.ListSetSel(ctl::kClipList, i);
}
