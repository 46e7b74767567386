// CDefineDlg: the settings dialog's logic. It shows the player's settings and,
// on OK, stores every value in the player and the settings file at once and
// tells the main dialog through VoiceSetsChanged whether the voice sets
// changed. Its three folder buttons store their folders at once; Cancel does
// not undo them. The FlashAir cards are checked before anything is stored and
// stored only when their field changed; its test button sends the field's
// cards the folder request, saved or not. A data folder chosen here is entered at once: the main
// dialog reloads its catalogues when DataFolderChanged() says so.
#pragma once

#include <string>

#include "platform/prompts.h"
#include "resources/control_ids.h" // ctl::settings

class CVoicePlayer;

class CDefineDlg final : public platform::ModalDialogLogic {
public:
    explicit CDefineDlg(CVoicePlayer& player) : m_player(player) {}

    const platform::DialogTemplate& Template() const override;
    void OnInitDialog(platform::DialogHost& dlg) override;
    void OnCommand(platform::DialogHost& dlg, int id, int notification) override;

    // Whether OK stored other voice sets.
    bool VoiceSetsChanged() const { return m_voiceSetsChanged; }
    // Whether a data folder was chosen (and entered) while the dialog was open.
    bool DataFolderChanged() const { return m_dataFolderChanged; }

private:
    void OnOkButton(platform::DialogHost& dlg);
    void OnSelchangeInterface(platform::DialogHost& dlg);
    void OnRemoteFile();
    void OnRecognitionFile();

    CVoicePlayer& m_player;
    bool m_voiceSetsChanged = false;
    bool m_dataFolderChanged = false;
    std::string m_storedCards; // [REMOTE] FLASHAIR when the dialog opened
};

// The text of an interval item: "連続" for 0, "N秒" otherwise.
std::string IntervalItemText(int seconds);
