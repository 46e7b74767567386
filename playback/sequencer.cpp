#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>

#include "core/catalogue.h"
#include "core/voice_player.h"
#include "platform/dialog_host.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "playback/audio/audio.h"
#include "playback/play_list_line.h"
#include "resources/string_table.h"

using platform::DialogHost;

namespace {

// Random play gives up drawing after this many flagged rows in a row and takes
// the next playable row instead, so a huge catalogue whose playable rows the
// generator cannot reach still ends the draw.
constexpr int kMaxDraws = 100000;

int ClampPeriod(std::int64_t ms) {
    return static_cast<int>(std::clamp<std::int64_t>(ms, 0, INT_MAX));
}

} // namespace

int CVoicePlayer::RouteMargin() const {
    return m_settings.route == CONNECT_SOUND ? m_settings.intervalMargin : m_link.remoteMargin;
}

std::int16_t CVoicePlayer::VolumePercent(const DialogHost& dlg) const {
    return static_cast<std::int16_t>(100 - dlg.TrackGetPos(ctl::kVolume));
}

void CVoicePlayer::PlayClip(const std::string& path, int percent) {
    const std::optional<int> moved = m_volumeChanged ? std::optional(percent) : std::nullopt;
    if (m_services.audio->Play(path, moved))
        m_volumeChanged = false;
}

bool CVoicePlayer::OpenPlayList(std::string_view name) {
    m_sequence.playList.reset();
    auto reader =
        std::make_unique<platform::TextRowReader>(PlayListPath(m_settings.voiceFolder, name));
    if (!reader->IsOpen()) {
        ShowOkMessage(*m_services.prompts, ids::IDS_PLAYLIST_FAILED, platform::MsgIcon::None);
        return false;
    }
    m_sequence.playList = std::move(reader);
    return true;
}

void CVoicePlayer::StartSequence(DialogHost& dlg, SequenceKind kind) {
    if (SeveralFlashAirCards()) {
        // Buttons 4 and 5 send the selection once, to the first or second card.
        PlaySelected(dlg, kind == SequenceKind::List ? '1' : '2');
        return;
    }
    m_sequence.kind = kind;
    m_sequence.listPos = 0;
    dlg.EnableItem(ctl::kPlay, false);
    dlg.EnableItem(ctl::kStop, true);
    OnSequenceTick(dlg);
}

const VoiceEntry* CVoicePlayer::DrawRandomEntry() {
    // While the find box holds text the draw is among the found rows.
    const bool found = Finding() && !PlayListsShowing();
    const std::size_t count = found ? m_view.found.size() : m_catalogue.entries.size();
    const auto at = [&](std::size_t k) -> const VoiceEntry& {
        return m_catalogue.entries[found ? m_view.found[k] : k];
    };
    const auto playable = [&](std::size_t k) { return !(at(k).wFlags & VOICE_FLAG_NO_SEQUENCE); };
    std::size_t index = 0;
    while (index < count && !playable(index))
        ++index;
    if (index == count)
        return nullptr;
    for (int draw = 0; draw < kMaxDraws; ++draw) {
        index = static_cast<std::size_t>(NextRandom()) % count;
        if (playable(index))
            return &at(index);
    }
    while (!playable(index))
        index = (index + 1) % count;
    return &at(index);
}

// What one tick plays: the clip (a copy: a message loop inside a send may
// replace the catalogue table), the target of its play-list line, and the
// wait that the line asks for.
struct CVoicePlayer::SequenceStep {
    std::optional<VoiceEntry> clip;
    std::optional<char> target;
    std::int64_t wait = 0;
};

enum class CVoicePlayer::StepTaken {
    Step,           // play the step (it may hold no clip), then set the timer
    PlayListOpened, // a list-play entry opened a play list: tick again at once
    Stopped,        // the sequence has stopped; the tick ends
};

CVoicePlayer::StepTaken CVoicePlayer::TakePlayListLine(DialogHost& dlg, SequenceStep& step) {
    std::optional<PlayListLine> line;
    std::string row;
    while (auto next = m_sequence.playList->ReadRow()) {
        row = std::move(*next);
        auto classified = ClassifyPlayListLine(row);
        if (classified.kind != PlayListLine::Kind::Skip) {
            line = classified;
            break;
        }
    }
    if (!line) {
        m_sequence.playList.reset();
        if (m_sequence.kind != SequenceKind::List) {
            StopSequence(dlg);
            return StepTaken::Stopped;
        }
        // The play list was an entry of list play: list play goes on.
        return StepTaken::Step;
    }
    if (line->kind == PlayListLine::Kind::Target)
        step.target = line->target;
    if (line->id != 0) {
        const VoiceEntry* entry = FindEntryBySoundId(line->id);
        if (!entry) {
            ShowOkMessage(*m_services.prompts, ids::IDS_PLAYLIST_ID_MISSING,
                          platform::MsgIcon::None, platform::Cp932ToUtf8(line->IdText()),
                          CatalogueNamedForMode(m_view.mode));
            StopSequence(dlg);
            return StepTaken::Stopped;
        }
        step.clip = *entry;
        step.wait = static_cast<std::int64_t>(step.clip->nSeconds) * 1000;
    }
    step.wait +=
        line->hasComma ? static_cast<std::int64_t>(line->extraSeconds) * 1000 : RouteMargin();
    return StepTaken::Step;
}

CVoicePlayer::StepTaken CVoicePlayer::TakeListEntry(DialogHost& dlg, SequenceStep& step) {
    for (;;) {
        if (m_sequence.listPos >= dlg.ListCount(ctl::kClipList)) {
            dlg.ListSetSel(ctl::kClipList, -1);
            StopSequence(dlg);
            return StepTaken::Stopped;
        }
        dlg.ListSetSel(ctl::kClipList, m_sequence.listPos);
        const std::string text = dlg.ListGetText(ctl::kClipList, m_sequence.listPos);
        ++m_sequence.listPos;
        if (PlayListsShowing()) {
            if (OpenPlayList(text))
                return StepTaken::PlayListOpened;
            dlg.ListSetSel(ctl::kClipList, -1);
            StopSequence(dlg);
            return StepTaken::Stopped;
        }
        // Rows kept out of list play, and lines that name no row, are
        // passed over without a pause.
        const VoiceEntry* entry = FindEntryByText(text);
        if (entry && !(entry->wFlags & VOICE_FLAG_NO_SEQUENCE)) {
            step.clip = *entry;
            return StepTaken::Step;
        }
    }
}

CVoicePlayer::StepTaken CVoicePlayer::TakeStep(DialogHost& dlg, SequenceStep& step) {
    if (m_sequence.playList)
        return TakePlayListLine(dlg, step);
    if (m_sequence.kind == SequenceKind::List)
        return TakeListEntry(dlg, step);
    if (m_sequence.kind == SequenceKind::Random) {
        if (const VoiceEntry* entry = DrawRandomEntry()) {
            step.clip = *entry;
            return StepTaken::Step;
        }
        // Nothing can be drawn: random play ends as Stop would end it.
    }
    // Nothing runs (a failed play-list open closed the running play list):
    // the dialog goes back to idle, as Stop leaves it.
    StopSequence(dlg);
    return StepTaken::Stopped;
}

bool CVoicePlayer::SendStepClip(DialogHost& dlg, const SequenceStep& step,
                                std::optional<char> card) {
    const VoiceEntry& clip = *step.clip;
    const bool showId = m_settings.route != CONNECT_SOUND ||
                        (m_view.mode == MODE_NINSHIKI && m_view.category == CATEGORY_PROGRAMS);
    ShowClip(dlg, clip, showId);
    const std::int16_t volume = VolumePercent(dlg);
    if (m_settings.route == CONNECT_SOUND) {
        PlayClip(ClipPath(clip), volume);
        return true;
    }
    platform::BusyScope busy(dlg);
    // A play-list line's target names the card; a FlashAir target that names
    // no configured card sends nothing, and its wait applies.
    if (SendToRobot(RouteSend::Record(clip.nSoundId, clip.nSeconds, volume,
                                      step.target ? step.target : card)))
        return true;
    StopSequence(dlg);
    return false;
}

std::int64_t CVoicePlayer::StepPeriod(const SequenceStep& step) const {
    if (m_sequence.playList)
        return step.wait;
    if (m_settings.defaultInterval != 0)
        return static_cast<std::int64_t>(m_settings.defaultInterval) * 1000;
    if (!step.clip)
        return m_settings.intervalMargin;
    return static_cast<std::int64_t>(step.clip->nSeconds) * 1000 + RouteMargin();
}

void CVoicePlayer::OnSequenceTick(DialogHost& dlg, std::optional<char> card) {
    SequenceStep step;
    StepTaken taken = StepTaken::PlayListOpened;
    // A play list that list play opens plays its first line in this same
    // tick, which then starts over as a tick of its own (timer killed again).
    while (taken == StepTaken::PlayListOpened) {
        dlg.KillTimer(SEQUENCE_TIMER);
        step = {};
        taken = TakeStep(dlg, step);
    }
    if (taken == StepTaken::Stopped)
        return;
    if (step.clip && !SendStepClip(dlg, step, card))
        return;
    dlg.SetTimer(SEQUENCE_TIMER, ClampPeriod(StepPeriod(step)));
}
