// CVoxletDlg: the main dialog's logic, free of any toolkit. The window that
// shows it (a toolkit window or the headless host) owns the controls and
// forwards every event here with itself as the DialogHost.
#pragma once

#include <memory>

#include "core/voice_player.h"
#include "platform/prompts.h"

class CVoxletDlg final : public platform::ModalDialogLogic {
public:
    // Creates the player, which reads the settings and the first catalogue;
    // services outlives the dialog.
    explicit CVoxletDlg(const Services& services);
    ~CVoxletDlg() override;

    const platform::DialogTemplate& Template() const override;

    // The window exists: radio values to the controls, the system-menu items
    // (the about box, the play-list editor), the player.
    void OnInitDialog(platform::DialogHost& dlg) override;
    // Clicks and notifications of the controls.
    void OnCommand(platform::DialogHost& dlg, int id, int notification) override;
    // A system-menu command: the about box or the play-list editor.
    void OnSysCommand(platform::DialogHost& dlg, int command) override;
    // Window timer, whatever its id.
    void OnTimer(platform::DialogHost& dlg, int timerId) override;
    // The volume trackbar moved.
    void OnVScroll(platform::DialogHost& dlg) override;
    // The window is being destroyed: settings saved, then the player destroyed.
    void OnDestroy(platform::DialogHost& dlg) override;

    // Radio values <-> controls (save: controls to values).
    void UpdateData(platform::DialogHost& dlg, bool save);

    // The player; null once the window is destroyed.
    CVoicePlayer* Player() { return m_player.get(); }

    int m_nModeRadio = 0;
    int m_nCategoryRadio = 0;

private:
    void OnCategory(platform::DialogHost& dlg);
    void OnProgramOutput(platform::DialogHost& dlg);
    // Typing, Enter and Esc in the find box.
    void OnFindBox(platform::DialogHost& dlg, int notification);
    void OnModeChange(platform::DialogHost& dlg);
    void OnSettings(platform::DialogHost& dlg);
    // The first category of the current mode's catalogue, loaded anew (the
    // voice sets or the data folder changed).
    void ShowNewCatalogue(platform::DialogHost& dlg);

    const Services& m_services;
    std::unique_ptr<CVoicePlayer> m_player;
};
