#include "ui/define_dlg.h"

#include <string>

#include "core/numbers.h"
#include "core/voice_player.h"
#include "link/flashair_setup.h"
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
    const CVoicePlayer& p = m_player;
    const PlayerSettings& settings = p.Settings();
    for (const auto& box : kVoiceSetBoxes)
        dlg.CheckItem(box.id, (settings.voiceSets & box.bit) != 0);

    dlg.ComboSetSel(kInterfaceCombo, settings.route); // always 0..2 once read
    if (settings.route == CONNECT_USB)
        dlg.EnableItem(kRemoteFile, true);

    // Every number of the list becomes an item; the last one that equals the
    // current interval is selected.
    const std::string intervals = p.ReadSetting("PLAY", "PLAY_INTERVAL", "0,3,5,10,15,30,60");
    for (auto piece : SplitAtCommas(intervals)) {
        const int seconds = AtoiLike(piece);
        const int index = dlg.ComboAdd(kIntervalCombo, IntervalItemText(seconds));
        if (seconds == settings.defaultInterval)
            dlg.ComboSetSel(kIntervalCombo, index);
    }

    // A model without a radio of its own checks none.
    if (settings.model >= 1 && settings.model <= 4)
        dlg.CheckItem(kModel1Radio - 1 + settings.model, true);

    if (settings.recognitionVoice)
        dlg.CheckItem(kRecognitionPlay, true);
    if (settings.route != CONNECT_SOUND)
        dlg.EnableItem(kRecognitionPlay, true);

    m_storedCards = p.FlashAirCardList();
    dlg.SetItemText(kCardsField, m_storedCards);
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
        m_dataFolderChanged = m_player.SelectDataFolder() || m_dataFolderChanged;
        break;
    case kCardTest:
        TestFlashAirCards(m_player.GetServices(), dlg, dlg.GetItemText(kCardsField));
        break;
    default:
        break;
    }
}

void CDefineDlg::OnOkButton(DialogHost& dlg) {
    CVoicePlayer& p = m_player;

    // A card list that cannot be stored keeps the dialog open, nothing stored.
    const std::string cards = dlg.GetItemText(kCardsField);
    const bool cardsChanged = cards != m_storedCards;
    if (cardsChanged) {
        const CardListFault fault = CheckFlashAirCardList(cards);
        if (fault.kind != CardListFault::Kind::None) {
            ShowCardListFault(*p.GetServices().prompts, fault);
            return;
        }
    }

    const int model = dlg.IsItemChecked(kModel2Radio) ? 2 : 1;
    if (model != p.Settings().model) {
        p.SetModel(model);
        platform::MessageStyle style;
        style.buttons = platform::MsgButtons::YesNo;
        style.icon = platform::MsgIcon::Question;
        if (ShowMessage(*p.GetServices().prompts, ids::IDS_ASK_VOICE_FOLDER, style) ==
            platform::kIdYes)
            p.SelectVoiceFolder();
    }

    unsigned voiceSets = p.Settings().model == 2 ? VOICE_SET_MODEL2 : 0;
    for (const auto& box : kVoiceSetBoxes)
        if (dlg.IsItemChecked(box.id))
            voiceSets |= box.bit;
    m_voiceSetsChanged = p.SetVoiceSets(voiceSets);
    p.SetRoute(dlg.ComboGetSel(kInterfaceCombo));
    p.SetDefaultInterval(AtoiLike(dlg.ComboGetText(kIntervalCombo)));
    p.SetRecognitionVoice(dlg.IsItemChecked(kRecognitionPlay));
    if (cardsChanged) {
        p.SetFlashAirCards(cards);
        // FLASHAIR_TIME's values go by position: the user checks them.
        if (p.Targets().times)
            ShowOkMessage(*p.GetServices().prompts, ids::IDS_CARD_TIMES_BY_POSITION,
                          platform::MsgIcon::None);
    }

    dlg.EndDialog(platform::kIdOk);
}

void CDefineDlg::OnSelchangeInterface(DialogHost& dlg) {
    const int route = dlg.ComboGetSel(kInterfaceCombo);
    dlg.EnableItem(kRemoteFile, route == CONNECT_USB);
    dlg.EnableItem(kRecognitionPlay, route != CONNECT_SOUND);
}

void CDefineDlg::OnRemoteFile() {
    m_player.SelectRemoteFile();
}

void CDefineDlg::OnRecognitionFile() {
    m_player.SelectVoiceFolder();
}
