#include "core/voice_player.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

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
// The recognition clip whose presence marks a usable voice folder.
constexpr std::string_view kRecognitionMarker = "NF01.wav";

// The trackbar position that stands for 0 dB on the scale min..max.
int ZeroDbPosition(int volumeMin, int volumeMax) {
    const std::int64_t span = static_cast<std::int64_t>(volumeMax) - volumeMin;
    if (span == 0)
        return kDefaultTrackPos;
    const std::int64_t pos = static_cast<std::int64_t>(volumeMax) * 100 / span;
    return static_cast<int>(std::clamp<std::int64_t>(pos, 0, 100));
}

// Ticks every ten positions; the stored position, or 0 dB when none is stored.
void PlaceVolumeTrackbar(DialogHost& dlg, int stored, int volumeMin, int volumeMax) {
    dlg.TrackSetTicFreq(ctl::kVolume, kVolumeTickStep);
    dlg.TrackSetPos(ctl::kVolume, stored == -1 ? ZeroDbPosition(volumeMin, volumeMax) : stored);
}

// Opens PC audio for the dialog's window; a failure is told (message 124) and
// the program goes on, every later play reporting its own failure (125).
void OpenPcAudio(PcAudio& audio, platform::Prompts& prompts, void* window) {
    audio.SetFailureReporter([&prompts] {
        ShowOkMessage(prompts, ids::IDS_AUDIO_PLAY_FAILED, platform::MsgIcon::Error);
    });
    if (!audio.Open(window))
        ShowOkMessage(prompts, ids::IDS_AUDIO_INIT_FAILED, platform::MsgIcon::Error);
}

// A route no interface has (a hand edit, or the -1 an empty interface combo
// used to store) is the PC route, so the settings dialog always has a
// selection to store.
int KnownRoute(int route) {
    return route < CONNECT_SOUND || route > CONNECT_FLASHAIR ? CONNECT_SOUND : route;
}

// Several FlashAir cards: the play buttons send to all, to each or to one.
void LabelSendButtons(DialogHost& dlg) {
    dlg.SetItemText(ctl::kPlay, labels::kSendToAll);
    dlg.SetItemText(ctl::kContinuousGroup, labels::kSendEach);
    dlg.SetItemText(ctl::kListPlay, labels::kSendFirst);
    dlg.SetItemText(ctl::kRandomPlay, labels::kSendSecond);
}
} // namespace

std::string CVoicePlayer::RecognitionClipPath() const {
    return platform::JoinPath(
        {m_settings.voiceFolder, RecognitionFolderName(), std::string(kRecognitionMarker)});
}

void CVoicePlayer::InitPlayer(DialogHost& dlg) {
    OpenPcAudio(*m_services.audio, *m_services.prompts, dlg.NativeHandle());

    PlaceVolumeTrackbar(dlg, ReadSettingInt("SOUND", "DEFAULT", -1), m_settings.volumeMin,
                        m_settings.volumeMax);

    m_settings.route = KnownRoute(ReadSettingInt("REMOTE", "CONNECT_TYPE", CONNECT_SOUND));
    // Before the recognition check, which may change the route.
    EnableCategoryRadios(dlg, RadioRefresh::ModeShown);

    if (!FindRecognitionClips(dlg))
        return;

    if (SeveralFlashAirCards())
        LabelSendButtons(dlg);
    if (m_settings.model == 2) {
        dlg.SetItemText(ctl::kKarutaRadio, labels::kBoardGame);
        dlg.SetItemText(ctl::kProgramRadio, labels::kVoice);
    }
    ShowFirstCategory(dlg);
}

bool CVoicePlayer::FindRecognitionClips(DialogHost& dlg) {
    // Asked until the clips are found or the user takes another way; a data
    // folder chosen here is entered and its catalogue loaded, then checked.
    while (m_settings.route == CONNECT_SOUND && !platform::PathExists(RecognitionClipPath())) {
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
            return false;
        }
        break;
    }
    return true;
}

void CVoicePlayer::SaveSettings(DialogHost& dlg) {
    m_sequence.kind = SequenceKind::None;
    m_services.audio->Close();
    WriteSetting("SOUND", "DEFAULT", std::to_string(dlg.TrackGetPos(ctl::kVolume)));
}

bool CVoicePlayer::SelectVoiceFolder() {
    platform::FileDialogSpec spec;
    spec.defaultExt = "wav";
    spec.initialName = RecognitionClipPath();
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
