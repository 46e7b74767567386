#include "core/catalogue.h"

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

RowResult ParseCatalogueRow(std::string_view row, unsigned mask, VoiceEntry& out) {
    if (!row.empty() && row[0] != ',' && (static_cast<unsigned>(AtoiLike(row)) & mask) == 0)
        return RowResult::Skipped;
    if (row.find(',') == std::string_view::npos)
        return RowResult::Skipped;
    const auto columns = SplitAtCommas(row);
    if (columns.size() < kMinColumns || columns[1].empty())
        return RowResult::Skipped;

    VoiceEntry e;
    e.pszText = platform::Cp932ToUtf8(columns[1]);
    e.pszExtra = platform::Cp932ToUtf8(columns[2]);
    e.rawFile = std::string(columns[3]);
    e.pszFile = platform::Cp932ToUtf8(columns[3]);
    // Stored truncated to the width of each field.
    e.nSoundId = static_cast<std::int16_t>(static_cast<std::uint16_t>(AtoiLike(columns[4])));
    e.nSeconds = static_cast<std::int16_t>(static_cast<std::uint16_t>(AtoiLike(columns[5])));
    e.byCategory = static_cast<std::uint8_t>(AtoiLike(columns[6]));
    unsigned flags = 0;
    for (std::size_t i = kFirstFlagColumn - 1;
         i < columns.size() && i < kFirstFlagColumn - 1 + kMaxFlagColumns; ++i)
        flags = flags * 2 + (!columns[i].empty() && columns[i][0] == '1' ? 1u : 0u);
    e.wFlags = static_cast<std::uint16_t>(flags);
    out = std::move(e);
    return RowResult::Taken;
}

bool CVoicePlayer::LoadVoiceCsv(int mode) {
    const auto choice = ChooseCatalogue(m_bUraVoice, mode, m_nTikoModel, m_nVersion);
    m_pVoices.clear();
    m_nVoiceCount = 0;

    platform::TextRowReader reader(choice.file);
    if (!reader.IsOpen()) {
        ShowOkMessage(mode == MODE_NINSHIKI ? ids::IDS_NINSHIKI_CSV_FAILED
                                            : ids::IDS_VOICE_CSV_FAILED,
                      platform::MsgIcon::Warning);
        return false;
    }
    m_pVoices.reserve(mode == MODE_NINSHIKI ? kNinshikiCapacity : kVoiceCapacity);
    reader.ReadRow(); // the header, whatever it holds
    VoiceEntry entry;
    while (auto row = reader.ReadRow()) {
        if (ParseCatalogueRow(*row, choice.mask, entry) == RowResult::Taken)
            m_pVoices.push_back(std::move(entry));
    }
    m_nVoiceCount = static_cast<int>(m_pVoices.size());
    return true;
}

void CVoicePlayer::FreeVoices() {
    m_pVoices.clear();
    m_pVoices.shrink_to_fit();
    m_nVoiceCount = 0;
}
