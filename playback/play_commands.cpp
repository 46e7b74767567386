#include "core/voice_player.h"

#include "platform/dialog_host.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "playback/audio/audio.h"
#include "resources/labels.h"
#include "resources/string_table.h"

using platform::DialogHost;

namespace {
constexpr std::int16_t kHiddenCatalogueId = 1000;
} // namespace

void CVoicePlayer::ShowClip(DialogHost& dlg, const VoiceEntry& entry, bool showId) {
    dlg.SetItemText(ctl::kClipDisplay, showId ? std::to_string(entry.nSoundId)
                                              : std::string(platform::BaseName(entry.pszFile)));
}

void CVoicePlayer::SendProgramFile(DialogHost& dlg, int selection, std::optional<char> card) {
    std::string file;
    if (selection == 0) {
        platform::FileDialogSpec spec;
        if (m_settings.model == 2) {
            spec.defaultExt = "wav";
            spec.filter = filters::kClips;
        } else {
            spec.defaultExt = "TM4";
            spec.filter = filters::kProgramsAndClips;
        }
        spec.hideReadOnly = true;
        spec.title = LoadStringId(ids::IDS_SEND_FILE_TITLE);
        spec.folder = ProgramFolder();
        auto chosen = m_services.prompts->FileOpen(spec);
        if (!chosen)
            return;
        file = *chosen;
        WriteSetting("REMOTE", "PROGRAM_FOLDER", platform::CutAtLastSeparator(file));
        ChangeCategory(dlg, CATEGORY_PROGRAMS);
    } else {
        file = ProgramFolder() + dlg.ListGetText(ctl::kClipList, selection);
    }
    if (m_settings.route == CONNECT_SOUND)
        return; // the PC route plays no program files
    platform::BusyScope busy(dlg);
    // A send that fails has told the user why; the dialog stays as it is.
    (void)SendToRobot(RouteSend::File(file, VolumePercent(dlg), card));
}

bool CVoicePlayer::SendToRobot(const RouteSend& send) {
    switch (m_settings.route) {
    case CONNECT_FLASHAIR:
        if (!send.file.empty())
            return SendFlashAirFile(send);
        SendFlashAirCommand(send);
        return true;
    case CONNECT_USB:
        return send.file.empty() ? SendCardCommand(send) : SendCardFile(send);
    default:
        return true; // the PC route sends nothing to the robot
    }
}

bool CVoicePlayer::OpenHiddenCatalogue(DialogHost& dlg) {
    m_catalogue.hidden = true;
    if (m_view.mode == MODE_NINSHIKI) {
        dlg.CheckItem(ctl::kModeNinshiki, false);
        dlg.CheckItem(ctl::kModeVoice, true);
    }
    if (m_view.category >= 0)
        dlg.CheckItem(ctl::kFirstCategory + m_view.category, false);
    dlg.CheckItem(ctl::kFirstCategory, true);
    return LoadMode(MODE_VOICE, dlg);
}

void CVoicePlayer::StartPlayList(DialogHost& dlg, std::string_view name, std::optional<char> card) {
    if (!OpenPlayList(name))
        return;
    dlg.EnableItem(ctl::kPlay, false);
    dlg.EnableItem(ctl::kStop, true);
    OnSequenceTick(dlg, card);
}

void CVoicePlayer::PlayPlayList(DialogHost& dlg, std::string_view name) {
    StopSequence(dlg);
    StartPlayList(dlg, name, std::nullopt);
}

void CVoicePlayer::PlaySelected(DialogHost& dlg, std::optional<char> card) {
    const int selection = dlg.ListGetSel(ctl::kClipList);
    if (selection < 0) {
        ShowOkMessage(*m_services.prompts, ids::IDS_SELECT_CLIP, platform::MsgIcon::None);
        return;
    }
    const std::string text = dlg.ListGetText(ctl::kClipList, selection);

    if (PlayListsShowing()) {
        StartPlayList(dlg, text, card);
        return;
    }
    if (m_view.mode == MODE_NINSHIKI && m_view.category == CATEGORY_PROGRAMS) {
        SendProgramFile(dlg, selection, card);
        return;
    }

    const VoiceEntry* found = FindEntryByText(text);
    if (!found)
        return;
    // Copy: a mode change below replaces the table the entry lives in.
    const VoiceEntry entry = *found;

    if (entry.nSoundId == kHiddenCatalogueId) {
        OpenHiddenCatalogue(dlg);
        return;
    }

    ShowClip(dlg, entry, m_settings.route != CONNECT_SOUND || entry.nSeconds == 0);
    const std::int16_t volume = VolumePercent(dlg);
    if (m_settings.route == CONNECT_SOUND) {
        PlayClip(ClipPath(entry), volume);
        return;
    }

    platform::BusyScope busy(dlg);
    if (m_settings.recognitionVoice && m_view.mode == MODE_NINSHIKI) {
        // The recognition word sounds on the PC first; the thread waits for it.
        PlayClip(ClipPath(entry), volume);
        if (entry.nSeconds > 1)
            m_services.sleep((entry.nSeconds - 1) * 1000);
    }

    // A send that fails has told the user why; the dialog stays as it is.
    (void)SendToRobot(RouteSend::Record(entry.nSoundId, entry.nSeconds, volume, card));
}
