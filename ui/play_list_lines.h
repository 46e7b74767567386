// How the play-list editor shows a play list: the clips it offers (the Tiko
// catalogue that play lists name their clips from), a line's text, the
// pause field's text and the targets a route takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/voice_entry.h"
#include "playback/play_list_document.h"

class CVoicePlayer;

// The Tiko-mode catalogue of the player's model and voice sets, read apart
// from the player's own.
class ClipCatalogue {
public:
    // False when the catalogue file does not open; nothing is shown.
    bool Read(const CVoicePlayer& player);

    // The row a play-list line of the id plays: the first with that sound id.
    const VoiceEntry* BySoundId(std::int16_t id) const;
    // The rows a user adds: the first of each sound id above 0, in file order.
    const std::vector<std::size_t>& Clips() const { return m_clips; }
    const VoiceEntry& Row(std::size_t index) const { return m_rows[index]; }

private:
    std::vector<VoiceEntry> m_rows;
    std::vector<std::size_t> m_clips;
    std::unordered_map<std::int16_t, std::size_t> m_firstById;
};

// A line as the editor lists it: the clip's list text, 「休止」 for id 0 or the
// id marked as missing from the catalogue, then its pause and its target.
std::string PlayListLineText(const PlayListEntry& entry, const ClipCatalogue& catalogue);

// The pause field's text for an entry: its seconds, or empty for none.
std::string PauseFieldText(const PlayListEntry& entry);

// What the pause field holds: none (empty), or whole seconds 0 to 3600
// (full-width digits and surrounding blanks allowed); nullopt for anything else.
struct PauseSetting {
    std::optional<int> seconds;
};
std::optional<PauseSetting> ParsePauseField(std::string_view text);

// The targets the route offers after "none": cards 1 to 9 up to the card count
// on the FlashAir route, drive letters A to Z on the drive route, none on the
// PC route (the player does not look at targets there).
std::vector<char> OfferedTargets(int route, std::size_t cardCount);
