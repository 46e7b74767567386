#include "ui/play_list_lines.h"

#include <algorithm>

#include "core/catalogue.h"
#include "core/find_fold.h"
#include "core/voice_player.h"
#include "resources/string_table.h"

namespace {
constexpr int kMaxPauseSeconds = 3600;
constexpr std::size_t kMaxCardTargets = 9;
} // namespace

bool ClipCatalogue::Read(const CVoicePlayer& player) {
    const PlayerSettings& settings = player.Settings();
    std::vector<VoiceEntry> rows;
    if (!ReadCatalogue(ChooseCatalogue(false, MODE_VOICE, settings.model, settings.voiceSets),
                       rows))
        return false;
    m_rows = std::move(rows);
    m_clips.clear();
    m_firstById.clear();
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const bool first = m_firstById.try_emplace(m_rows[i].nSoundId, i).second;
        if (first && m_rows[i].nSoundId > 0)
            m_clips.push_back(i);
    }
    return true;
}

const VoiceEntry* ClipCatalogue::BySoundId(std::int16_t id) const {
    const auto found = m_firstById.find(id);
    return found == m_firstById.end() ? nullptr : &m_rows[found->second];
}

std::string PlayListLineText(const PlayListEntry& entry, const ClipCatalogue& catalogue) {
    std::string text;
    if (entry.id == 0)
        text = LoadStringId(ids::IDS_PLAY_LIST_PAUSE_LINE);
    else if (const VoiceEntry* row = catalogue.BySoundId(entry.id))
        text = row->pszText;
    else
        text = FormatString(LoadStringId(ids::IDS_PLAY_LIST_UNKNOWN_ID), std::to_string(entry.id));
    if (entry.extraSeconds)
        text += FormatString(LoadStringId(ids::IDS_PLAY_LIST_LINE_PAUSE),
                             std::to_string(*entry.extraSeconds));
    if (entry.target)
        text += FormatString(LoadStringId(ids::IDS_PLAY_LIST_LINE_TARGET),
                             std::string(1, *entry.target));
    return text;
}

std::string PauseFieldText(const PlayListEntry& entry) {
    return entry.extraSeconds ? std::to_string(*entry.extraSeconds) : std::string();
}

std::optional<PauseSetting> ParsePauseField(std::string_view text) {
    const std::string folded = FoldForFind(text); // full-width digits to ASCII
    const auto begin = folded.find_first_not_of(' ');
    if (begin == std::string::npos)
        return PauseSetting{};
    const std::string_view digits =
        std::string_view(folded).substr(begin, folded.find_last_not_of(' ') + 1 - begin);
    if (digits.size() > 4 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int seconds = std::stoi(std::string(digits));
    if (seconds > kMaxPauseSeconds)
        return std::nullopt;
    return PauseSetting{seconds};
}

std::vector<char> OfferedTargets(int route, std::size_t cardCount) {
    std::vector<char> targets;
    if (route == CONNECT_FLASHAIR)
        for (std::size_t i = 0; i < std::min(cardCount, kMaxCardTargets); ++i)
            targets.push_back(static_cast<char>('1' + i));
    else if (route == CONNECT_USB)
        for (char letter = 'A'; letter <= 'Z'; ++letter)
            targets.push_back(letter);
    return targets;
}
