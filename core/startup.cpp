#include "core/voice_player.h"

#include <algorithm>
#include <cstdint>

#include "platform/dialog_host.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "playback/audio/audio.h"
#include "resources/labels.h"
#include "resources/string_table.h"

using platform::DialogHost;

namespace {
constexpr int kDefaultTrackPos = 40; // 0 dB on the default scale
constexpr int kVolumeTickStep = 10;  // a tick mark every ten positions

// The trackbar position that stands for 0 dB on the scale min..max.
int ZeroDbPosition(int volumeMin, int volumeMax) {
    const std::int64_t span = static_cast<std::int64_t>(volumeMax) - volumeMin;
    if (span == 0)
        return kDefaultTrackPos;
    const std::int64_t pos = static_cast<std::int64_t>(volumeMax) * 100 / span;
    return static_cast<int>(std::clamp<std::int64_t>(pos, 0, 100));
}
} // namespace

void CVoicePlayer::InitPlayer(DialogHost& dlg) {
    PcAudio& audio = *m_services.audio;
    audio.SetFailureReporter([&prompts = *m_services.prompts] {
        ShowOkMessage(prompts, ids::IDS_AUDIO_PLAY_FAILED, platform::MsgIcon::Error);
    });
    if (!audio.Open(dlg.NativeHandle()))
        ShowOkMessage(*m_services.prompts, ids::IDS_AUDIO_INIT_FAILED, platform::MsgIcon::Error);

    dlg.TrackSetTicFreq(ctl::kVolume, kVolumeTickStep);
    int pos = ReadSettingInt("SOUND", "DEFAULT", -1);
    if (pos == -1)
        pos = ZeroDbPosition(m_settings.volumeMin, m_settings.volumeMax);
    dlg.TrackSetPos(ctl::kVolume, pos);

    m_settings.route = ReadSettingInt("REMOTE", "CONNECT_TYPE", CONNECT_SOUND);
    // A value no route has (a hand edit, or the -1 an empty interface combo
    // used to store) is the PC route, so the settings dialog always has a
    // selection to store.
    if (m_settings.route < CONNECT_SOUND || m_settings.route > CONNECT_FLASHAIR)
        m_settings.route = CONNECT_SOUND;
    if (m_settings.route != CONNECT_SOUND)
        dlg.EnableItem(ctl::kProgramRadio, true);
    const bool model2 = m_settings.model == 2;
    if (model2 || (m_settings.voiceSets & VOICE_SET_SORA2_DX))
        dlg.EnableItem(ctl::kKarutaRadio, true);
    if (model2 || (m_settings.voiceSets & VOICE_SET_TIKO_WALK))
        dlg.EnableItem(ctl::kTikoWalkRadio, true);
    if (model2)
        dlg.EnableItem(ctl::kPhotoMailRadio, true);

    // Asked until the clips are found or the user takes another way; a data
    // folder chosen here is entered and its catalogue loaded, then checked.
    while (m_settings.route == CONNECT_SOUND &&
           !platform::PathExists(
               platform::JoinPath({m_settings.voiceFolder, RecognitionFolderName(), "NF01.wav"}))) {
        platform::MessageStyle style;
        style.buttons = platform::MsgButtons::YesNo;
        style.icon = platform::MsgIcon::Question;
        style.defaultButton = platform::kIdNo;
        style.extraButton = LoadStringId(ids::IDS_CHOOSE_DATA_FOLDER);
        const int answer = ShowMessage(*m_services.prompts, ids::IDS_VOICE_NOT_FOUND, style);
        if (answer == platform::kIdExtra) {
            if (SelectDataFolder()) {
                FreeVoices();
                LoadVoiceCsv(MODE_NINSHIKI);
            }
            continue;
        }
        if (answer == platform::kIdYes) {
            m_settings.route = CONNECT_FLASHAIR;
            WriteSetting("REMOTE", "CONNECT_TYPE", "2");
        } else if (!SelectVoiceFolder()) {
            dlg.PostClose();
            return;
        }
        break;
    }

    if (m_targets.hosts.size() > 1) {
        dlg.SetItemText(ctl::kPlay, labels::kSendToAll);
        dlg.SetItemText(ctl::kContinuousGroup, labels::kSendEach);
        dlg.SetItemText(ctl::kListPlay, labels::kSendFirst);
        dlg.SetItemText(ctl::kRandomPlay, labels::kSendSecond);
    }
    if (model2) {
        dlg.SetItemText(ctl::kKarutaRadio, labels::kBoardGame);
        dlg.SetItemText(ctl::kProgramRadio, labels::kVoice);
    }
    ShowFirstCategory(dlg);
}

void CVoicePlayer::SaveSettings(DialogHost& dlg) {
    m_sequence.kind = SequenceKind::None;
    m_services.audio->Close();
    WriteSetting("SOUND", "DEFAULT", std::to_string(dlg.TrackGetPos(ctl::kVolume)));
}

bool CVoicePlayer::SelectVoiceFolder() {
    platform::FileDialogSpec spec;
    spec.defaultExt = "wav";
    spec.initialName =
        platform::JoinPath({m_settings.voiceFolder, RecognitionFolderName(), "NF01.wav"});
    spec.filter = filters::kRecognitionClip;
    spec.hideReadOnly = true;
    spec.title = LoadStringId(ids::IDS_RECOGNITION_CLIP_TITLE);
    const auto chosen = m_services.prompts->FileOpen(spec);
    if (!chosen)
        return false;
    // The folder that holds the recognition folder: the chosen path without
    // its last two components.
    m_settings.voiceFolder = platform::CutAtLastSeparator(platform::CutAtLastSeparator(*chosen));
    WriteSetting("SOUND", "VOICE_FOLDER", m_settings.voiceFolder);
    return true;
}
