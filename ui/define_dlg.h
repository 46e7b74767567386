// CDefineDlg: the settings dialog's logic. It shows the player's settings and,
// on OK, stores every value in the player and the settings file at once and
// tells the main dialog through m_bVersionChanged whether the voice sets
// changed. Its two folder buttons store their folders at once; Cancel does
// not undo them.
#pragma once

#include "platform/prompts.h"

class CVoicePlayer;

class CDefineDlg final : public platform::ModalDialogLogic {
public:
    explicit CDefineDlg(CVoicePlayer* player) : m_pPlayer(player) {}

    const platform::DialogTemplate& Template() const override;
    void OnInitDialog(platform::DialogHost& dlg) override;
    void OnCommand(platform::DialogHost& dlg, int id, int notification) override;

    CVoicePlayer* m_pPlayer;

private:
    void OnOkButton(platform::DialogHost& dlg);
    void OnSelchangeInterface(platform::DialogHost& dlg);
    void OnRemoteFile();
    void OnRecognitionFile();
};

// The text of an interval item: "連続" for 0, "N秒" otherwise.
std::string IntervalItemText(int seconds);
