#include "core/catalogue.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "core/numbers.h"
#include "core/voice_player.h"
#include "platform/prompts.h"
#include "platform/text.h"
#include "resources/string_table.h"

namespace {
constexpr std::size_t kFirstFlagColumn = 8; // 1-based column numbers
constexpr std::size_t kMaxFlagColumns = 12;
constexpr std::size_t kMinColumns = 7;
// Capacities the table is prepared for; larger catalogues still load whole.
constexpr std::size_t kNinshikiCapacity = 512;
constexpr std::size_t kVoiceCapacity = 1600;

constexpr std::string_view kHiddenCatalogue = ".\\ura_voice.csv";
constexpr std::string_view kNinshikiCatalogue = ".\\Ninshiki.csv";
constexpr std::string_view kVoice2Catalogue = ".\\voice2.csv";
constexpr std::string_view kVoiceCatalogue = ".\\voice.csv";
} // namespace

CatalogueChoice ChooseCatalogue(bool uraVoice, int mode, int model, unsigned version) {
    CatalogueChoice choice{};
    if (uraVoice)
        choice.file = kHiddenCatalogue;
    else if (mode == MODE_NINSHIKI)
        choice.file = kNinshikiCatalogue;
    else if (model == 2)
        choice.file = kVoice2Catalogue;
    else
        choice.file = kVoiceCatalogue;
    choice.mask =
        (mode == MODE_NINSHIKI && model == 2) ? VOICE_SET_MODEL2 : (version | VOICE_SET_TIKO);
    return choice;
}

std::string_view CatalogueNamedForMode(int mode) {
    return mode == MODE_VOICE ? kVoiceCatalogue : kNinshikiCatalogue;
}

VoiceEntry::VoiceEntry(const VoiceEntry& other)
    : nSoundId(other.nSoundId), nSeconds(other.nSeconds), byCategory(other.byCategory),
      wFlags(other.wFlags) {
    SetTexts(other.pszText, other.pszExtra, other.pszFile, other.rawFile);
}

VoiceEntry& VoiceEntry::operator=(const VoiceEntry& other) {
    if (this != &other)
        *this = VoiceEntry(other);
    return *this;
}

void VoiceEntry::SetTexts(std::string_view text, std::string_view extra, std::string_view file,
                          std::string_view raw) {
    const bool rawIsFile = raw == file;
    auto texts = std::make_unique_for_overwrite<char[]>(text.size() + extra.size() + file.size() +
                                                        (rawIsFile ? 0 : raw.size()));
    char* at = texts.get();
    auto put = [&at](std::string_view part) {
        std::copy(part.begin(), part.end(), at);
        at += part.size();
        return std::string_view(at - part.size(), part.size());
    };
    pszText = put(text);
    pszExtra = put(extra);
    pszFile = put(file);
    rawFile = rawIsFile ? pszFile : put(raw);
    m_texts = std::move(texts);
}

RowResult ParseCatalogueRow(std::string_view row, unsigned mask, VoiceEntry& out) {
    if (!row.empty() && row[0] != ',' && (static_cast<unsigned>(AtoiLike(row)) & mask) == 0)
        return RowResult::Skipped;
    // The columns up to the last flag column (the last one holds the rest).
    std::string_view columns[kFirstFlagColumn - 1 + kMaxFlagColumns];
    std::size_t count = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < row.size() && count + 1 < std::size(columns); ++i) {
        if (row[i] == ',') {
            columns[count++] = row.substr(start, i - start);
            start = i + 1;
        }
    }
    columns[count++] = row.substr(start);
    if (count < kMinColumns || columns[1].empty())
        return RowResult::Skipped;

    // Columns 2 to 4 are decoded at once: a comma is never part of a CP932
    // character, so they split at the same commas.
    thread_local std::string texts;
    platform::Cp932ToUtf8(row.substr(columns[1].data() - row.data(),
                                     columns[3].data() + columns[3].size() - columns[1].data()),
                          texts);
    const std::size_t first = texts.find(',');
    const std::size_t second = texts.find(',', first + 1);
    const std::string_view decoded(texts);
    VoiceEntry e;
    e.SetTexts(decoded.substr(0, first), decoded.substr(first + 1, second - first - 1),
               decoded.substr(second + 1), columns[3]);
    // Stored truncated to the width of each field.
    e.nSoundId = static_cast<std::int16_t>(static_cast<std::uint16_t>(AtoiLike(columns[4])));
    e.nSeconds = static_cast<std::int16_t>(static_cast<std::uint16_t>(AtoiLike(columns[5])));
    e.byCategory = static_cast<std::uint8_t>(AtoiLike(columns[6]));
    unsigned flags = 0;
    for (std::size_t i = kFirstFlagColumn - 1; i < count; ++i)
        flags = flags * 2 + (!columns[i].empty() && columns[i][0] == '1' ? 1u : 0u);
    e.wFlags = static_cast<std::uint16_t>(flags);
    out = std::move(e);
    return RowResult::Taken;
}

bool CVoicePlayer::LoadVoiceCsv(int mode) {
    const auto choice =
        ChooseCatalogue(m_catalogue.hidden, mode, m_settings.model, m_settings.voiceSets);
    m_catalogue.entries.clear();
    m_catalogue.entries.reserve(mode == MODE_NINSHIKI ? kNinshikiCapacity : kVoiceCapacity);
    if (!ReadCatalogue(choice, m_catalogue.entries)) {
        ShowOkMessage(*m_services.prompts,
                      mode == MODE_NINSHIKI ? ids::IDS_NINSHIKI_CSV_FAILED
                                            : ids::IDS_VOICE_CSV_FAILED,
                      platform::MsgIcon::Warning);
        return false;
    }
    return true;
}

bool ReadCatalogue(const CatalogueChoice& choice, std::vector<VoiceEntry>& entries) {
    platform::TextRowReader reader(choice.file);
    if (!reader.IsOpen())
        return false;
    std::string row;
    reader.ReadRow(row); // the header, whatever it holds
    VoiceEntry entry;
    while (reader.ReadRow(row)) {
        if (ParseCatalogueRow(row, choice.mask, entry) == RowResult::Taken)
            entries.push_back(std::move(entry));
    }
    return true;
}

void CVoicePlayer::FreeVoices() {
    m_catalogue.entries.clear();
    m_catalogue.entries.shrink_to_fit();
}
