// CDefineDlg: the settings dialog's logic. It shows the player's settings and,
// on OK, stores every value in the player and the settings file at once and
// tells the main dialog through VoiceSetsChanged whether the voice sets
// changed. Its three folder buttons store their folders at once; Cancel does
// not undo them. A data folder chosen here is entered at once: the main
// dialog reloads its catalogues when DataFolderChanged() says so.
#pragma once

#include "platform/prompts.h"

class CVoicePlayer;

// Control ids of the settings dialog.
namespace ctl::settings {
constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kRemoteFile = 3;
constexpr int kRecognitionFile = 4;
constexpr int kDataFolder = 5;
constexpr int kIntervalCombo = 1025;
constexpr int kInterfaceCombo = 1030;
// The model radios: 1036 + model - 1 for models 1 to 4 (3 and 4 hidden).
constexpr int kModel1Radio = 1036;
constexpr int kModel2Radio = 1037;
// The voice-set check boxes, one a bit of [DATA] VERSION.
constexpr int kTikoBox = 1032;
constexpr int kTikoCartBox = 1033;
constexpr int kSora2Box = 1034;
constexpr int kSora2DxBox = 1035;
constexpr int kTikoWalkBox = 1041;
constexpr int kRecognitionPlay = 1040;
} // namespace ctl::settings

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
};

// The text of an interval item: "連続" for 0, "N秒" otherwise.
std::string IntervalItemText(int seconds);
