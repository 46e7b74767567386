// CPlayListDlg: the play-list editor. It edits one play list of the voice
// folder's play_list folder at a time, through PlayListDocument, so that
// every row it was not asked to change keeps its bytes; lines are added from
// the Tiko catalogue (found by typing, as in the main dialog), moved, removed
// and given a pause and a target. Save writes the file whole or not at all;
// Play saves first and plays it in the main dialog, whose timer runs the
// sequence while the editor stays open. Another list, New and Close ask
// before unsaved changes are dropped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/prompts.h"
#include "playback/play_list_document.h"
#include "resources/control_ids.h" // ctl::playlist
#include "ui/play_list_lines.h"

class CVoicePlayer;

class CPlayListDlg final : public platform::ModalDialogLogic {
public:
    // mainDlg: the main dialog, where a play list plays and whose list shows
    // a saved play list at once.
    CPlayListDlg(CVoicePlayer& player, platform::DialogHost& mainDlg)
        : m_player(player), m_main(mainDlg) {}

    // Reads the clips' catalogue; false, the player's message shown, when it
    // cannot be read (the editor is not to open then).
    bool LoadClips();

    const platform::DialogTemplate& Template() const override;
    // Opens the play list selected in the main dialog's list of play lists,
    // else starts a new one.
    void OnInitDialog(platform::DialogHost& dlg) override;
    void OnCommand(platform::DialogHost& dlg, int id, int notification) override;

private:
    // The play list being edited: its document and the name it was opened or
    // last saved under ("" for one never saved).
    struct EditedList {
        std::string name;
        PlayListDocument document;
    };
    // The clips offered: the catalogue, the find text (folded) and the rows
    // the clip list shows.
    struct ClipChoice {
        ClipCatalogue catalogue;
        std::string find;
        std::vector<std::size_t> shown;
        bool listed = false;
    };

    // Lines
    void OnAddEntry(platform::DialogHost& dlg, const PlayListEntry& entry);
    void OnAddClip(platform::DialogHost& dlg);
    void OnRemove(platform::DialogHost& dlg);
    void OnMove(platform::DialogHost& dlg, bool up);
    void OnPauseChange(platform::DialogHost& dlg);
    void OnTargetChange(platform::DialogHost& dlg);
    // The lines listed anew with line `select` selected (-1: none).
    void ShowLines(platform::DialogHost& dlg, int select);
    // The controls that act on the selected line, enabled while there is one.
    void EnableLineControls(platform::DialogHost& dlg);
    // Those controls, and the pause field and target combo showing the line.
    void ShowSelectedLine(platform::DialogHost& dlg);
    // The selected line, or -1.
    int SelectedLine(const platform::DialogHost& dlg) const;

    // Clips
    void OnClipFind(platform::DialogHost& dlg, int notification);
    void ShowClips(platform::DialogHost& dlg, std::string_view text);

    // Files (play_list_file.cpp)
    void OnOpen(platform::DialogHost& dlg);
    void OnNew(platform::DialogHost& dlg);
    void OnPlay(platform::DialogHost& dlg);
    void OnClose(platform::DialogHost& dlg);
    // Reads the named play list into the editor; false (message shown) when
    // it cannot be read.
    bool Open(platform::DialogHost& dlg, const std::string& name);
    // Checks the pause field and the name, asks before replacing another
    // list, writes the file; false (the user told why) when nothing was saved.
    bool Save(platform::DialogHost& dlg);
    // Unsaved changes: asks whether to save them. True when the caller may
    // go on (saved, or dropped); false when cancelled or the save failed.
    bool SettleChanges(platform::DialogHost& dlg);
    // The play lists of the folder in the combo, the edited one selected.
    void ShowListNames(platform::DialogHost& dlg);
    // Whether the pause field holds a change that could not be applied.
    bool PauseFieldRefused(const platform::DialogHost& dlg) const;

    CVoicePlayer& m_player;
    platform::DialogHost& m_main;
    EditedList m_list;
    ClipChoice m_clips;
    std::vector<char> m_targets; // the target combo's items after "none"
};
