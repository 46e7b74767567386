#include "ui/define_dlg.h"

#include <string>

#include "core/numbers.h"
#include "core/voice_player.h"
#include "platform/dialog_host.h"
#include "resources/labels.h"
#include "resources/string_table.h"
#include "resources/templates.h"

using platform::DialogHost;

using namespace ctl::settings;

namespace {

struct VoiceSetBox {
    int id;
    unsigned bit;
};
constexpr VoiceSetBox kVoiceSetBoxes[] = {{kTikoBox, VOICE_SET_TIKO},
                                          {kTikoCartBox, VOICE_SET_TIKO_CART},
                                          {kSora2Box, VOICE_SET_SORA2},
                                          {kSora2DxBox, VOICE_SET_SORA2_DX},
                                          {kTikoWalkBox, VOICE_SET_TIKO_WALK}};

} // namespace

std::string IntervalItemText(int seconds) {
    return seconds == 0 ? std::string(labels::kContinuous)
                        : std::to_string(seconds) + std::string(labels::kSecondsUnit);
}

const platform::DialogTemplate& CDefineDlg::Template() const {
    return DefineDialogTemplate();
}

void CDefineDlg::OnInitDialog(DialogHost& dlg) {
    CVoicePlayer& p = *m_pPlayer;
    for (const auto& box : kVoiceSetBoxes)
        dlg.CheckItem(box.id, (p.m_nVersion & box.bit) != 0);

    dlg.ComboSetSel(kInterfaceCombo, p.m_nConnectType); // always 0..2 once read
    if (p.m_nConnectType == CONNECT_USB)
        dlg.EnableItem(kRemoteFile, true);

    // Every number of the list becomes an item; the last one that equals the
    // current interval is selected.
    const std::string intervals = p.ReadSetting("PLAY", "PLAY_INTERVAL", "0,3,5,10,15,30,60");
    for (auto piece : SplitAtCommas(intervals)) {
        const int seconds = AtoiLike(piece);
        const int index = dlg.ComboAdd(kIntervalCombo, IntervalItemText(seconds));
        if (seconds == p.m_nDefaultInterval)
            dlg.ComboSetSel(kIntervalCombo, index);
    }

    // A model without a radio of its own checks none.
    if (p.m_nTikoModel >= 1 && p.m_nTikoModel <= 4)
        dlg.CheckItem(kModel1Radio - 1 + p.m_nTikoModel, true);

    if (p.m_bNinshikiVoice)
        dlg.CheckItem(kRecognitionPlay, true);
    if (p.m_nConnectType != CONNECT_SOUND)
        dlg.EnableItem(kRecognitionPlay, true);
}

void CDefineDlg::OnCommand(DialogHost& dlg, int id, int notification) {
    if (id == kInterfaceCombo && notification == platform::kNotifySelChange) {
        OnSelchangeInterface(dlg);
        return;
    }
    if (notification != platform::kNotifyClicked)
        return;
    switch (id) {
    case kOk:
        OnOkButton(dlg);
        break;
    case kCancel:
        dlg.EndDialog(platform::kIdCancel);
        break;
    case kRemoteFile:
        OnRemoteFile();
        break;
    case kRecognitionFile:
        OnRecognitionFile();
        break;
    case kDataFolder:
        m_bDataFolderChanged = m_pPlayer->SelectDataFolder() || m_bDataFolderChanged;
        break;
    default:
        break;
    }
}

void CDefineDlg::OnOkButton(DialogHost& dlg) {
    CVoicePlayer& p = *m_pPlayer;

    const int model = dlg.IsItemChecked(kModel2Radio) ? 2 : 1;
    if (model != p.m_nTikoModel) {
        p.m_nTikoModel = model;
        p.WriteSetting("SOUND", "TIKO", model == 2 ? "2" : "1");
        platform::MessageStyle style;
        style.buttons = platform::MsgButtons::YesNo;
        style.icon = platform::MsgIcon::Question;
        if (ShowMessage(ids::IDS_ASK_VOICE_FOLDER, style) == platform::kIdYes)
            p.SelectVoiceFolder();
    }

    unsigned version = p.m_nTikoModel == 2 ? VOICE_SET_MODEL2 : 0;
    for (const auto& box : kVoiceSetBoxes)
        if (dlg.IsItemChecked(box.id))
            version |= box.bit;
    p.m_bVersionChanged = version != p.m_nVersion;
    if (p.m_bVersionChanged) {
        p.m_nVersion = version;
        p.WriteSetting("DATA", "VERSION", std::to_string(version));
    }

    p.m_nConnectType = dlg.ComboGetSel(kInterfaceCombo);
    p.WriteSetting("REMOTE", "CONNECT_TYPE", std::to_string(p.m_nConnectType));

    p.m_nDefaultInterval = AtoiLike(dlg.ComboGetText(kIntervalCombo));
    p.WriteSetting("PLAY", "DEFAULT_INTERVAL", std::to_string(p.m_nDefaultInterval));

    p.m_bNinshikiVoice = dlg.IsItemChecked(kRecognitionPlay);
    p.WriteSetting("SOUND", "NINSHIKI_VOICE", p.m_bNinshikiVoice ? "1" : "0");

    dlg.EndDialog(platform::kIdOk);
}

void CDefineDlg::OnSelchangeInterface(DialogHost& dlg) {
    const int route = dlg.ComboGetSel(kInterfaceCombo);
    dlg.EnableItem(kRemoteFile, route == CONNECT_USB);
    dlg.EnableItem(kRecognitionPlay, route != CONNECT_SOUND);
}

void CDefineDlg::OnRemoteFile() {
    m_pPlayer->SelectRemoteFile();
}

void CDefineDlg::OnRecognitionFile() {
    m_pPlayer->SelectVoiceFolder();
}
