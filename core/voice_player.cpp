#include "core/voice_player.h"

#include "core/numbers.h"
#include "platform/dialog_host.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "playback/audio/audio.h"
#include "resources/string_table.h"

namespace {
constexpr std::size_t kSettingBuffer = 260;
constexpr std::size_t kTargetListBuffer = MAX_TARGET_LIST_BYTES + 1;

std::string WriteFailureReason(const platform::ProfileWriteError& error) {
    switch (error.fault) {
    case platform::ProfileWriteFault::LineBreak:
        return std::string(LoadStringId(ids::IDS_SETTING_LINE_BREAK));
    case platform::ProfileWriteFault::NotEncodable:
        return std::string(LoadStringId(ids::IDS_SETTING_NOT_ENCODABLE));
    default:
        if (error.mayBeDamaged)
            return error.systemText + "\n" +
                   std::string(LoadStringId(ids::IDS_FILE_MAY_BE_DAMAGED));
        return error.systemText;
    }
}
} // namespace

CVoicePlayer::CVoicePlayer(const Services& services) : m_services(services) {
    // Members start as declared: no hidden catalogue, volume to be applied,
    // mode 0, no category shown yet, no play list, no continuous play.
    m_settings.iniPath = m_services.settingsPath;
    m_settings.voiceSets = static_cast<unsigned>(ReadSettingInt("DATA", "VERSION", 1));
    m_catalogue.entries.reserve(512);
    m_settings.model = ReadSettingInt("SOUND", "TIKO", 1);
    m_settings.recognitionVoice = ReadSettingInt("SOUND", "NINSHIKI_VOICE", 0) == 1;
    LoadListDefaults(MODE_NINSHIKI);
    m_settings.intervalMargin = ReadSettingInt("PLAY", "INTERVAL_MERGIN", 1000);
    m_settings.defaultInterval = ReadSettingInt("PLAY", "DEFAULT_INTERVAL", 0);
    m_settings.voiceFolder = ReadSetting("SOUND", "VOICE_FOLDER", ".\\voice");

    const std::string volume = ReadSetting("SOUND", "VOLUME", "-1500,1000");
    m_settings.volumeMin = AtoiLike(volume);
    if (auto comma = volume.find(','); comma != std::string::npos)
        m_settings.volumeMax = AtoiLike(std::string_view(volume).substr(comma + 1));
    else
        m_settings.volumeMax = 1000; // no upper bound given: keep the default one

    m_randomState = static_cast<std::uint32_t>(m_services.now());
    LoadRemoteSettings();
    LoadVoiceCsv(MODE_NINSHIKI);
}

CVoicePlayer::~CVoicePlayer() {
    // The reporter InitPlayer installed shows through this player's prompts.
    m_services.audio->SetFailureReporter({});
}

void CVoicePlayer::LoadRemoteSettings() {
    m_link.remoteDir = ReadSetting("REMOTE", "REMOTE_DIR", "");
    m_link.remoteInterval = ReadSettingInt("REMOTE", "REMOTE_INTERVAL", 1000);
    m_link.remoteMargin = ReadSettingInt("REMOTE", "REMOTE_MERGIN", 1000);
    const std::string alt = ReadSetting("REMOTE", "ALTERNAME_DRIVE", "");
    m_link.altDrive = alt.empty() ? 0 : alt[0];

    // A present but empty key is one target with an empty name; only a
    // missing key gives the factory name.
    const std::string hosts =
        ReadSettingSized("REMOTE", "FLASHAIR", DEFAULT_FLASHAIR_HOST, kTargetListBuffer);
    m_targets.hosts.clear();
    for (auto piece : SplitAtCommas(hosts)) {
        if (m_targets.hosts.size() == MAX_TARGETS)
            break; // names beyond the table's size are dropped
        m_targets.hosts.emplace_back(piece);
    }

    const std::string times = ReadSetting("REMOTE", "FLASHAIR_TIME", "");
    if (times.empty()) {
        m_targets.times.reset();
    } else {
        std::vector<std::int16_t> values(m_targets.hosts.size(), 0);
        const auto pieces = SplitAtCommas(times);
        for (std::size_t i = 0; i < values.size() && i < pieces.size(); ++i)
            values[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(AtoiLike(pieces[i])));
        m_targets.times = std::move(values);
    }
}

void CVoicePlayer::LoadListDefaults(int mode) {
    m_settings.listDefaults.fill(-1);
    const char* key = nullptr;
    if (m_settings.model == 2)
        key = mode == MODE_VOICE ? "VOICE2_DEFAULT" : "NINSHIKI2_DEFAULT";
    else
        key = mode == MODE_VOICE ? "VOICE_DEFAULT" : "NINSHIKI1_DEFAULT";
    const std::string list = ReadSetting("LIST", key, "");
    if (list.empty())
        return;
    const auto pieces = SplitAtCommas(list);
    for (std::size_t i = 0; i < m_settings.listDefaults.size() && i < pieces.size(); ++i)
        m_settings.listDefaults[i] = AtoiLike(pieces[i]);
}

std::string CVoicePlayer::ReadSetting(std::string_view section, std::string_view key,
                                      std::string_view def) const {
    return ReadSettingSized(section, key, def, kSettingBuffer);
}

std::string CVoicePlayer::ReadSettingSized(std::string_view section, std::string_view key,
                                           std::string_view def, std::size_t buffer) const {
    const auto unsaved = m_unsavedSettings.find({std::string(section), std::string(key)});
    if (unsaved != m_unsavedSettings.end())
        return unsaved->second ? *unsaved->second : std::string(def);
    return platform::ProfileReadString(section, key, def, buffer, m_settings.iniPath);
}

int CVoicePlayer::ReadSettingInt(std::string_view section, std::string_view key, int def) const {
    const auto unsaved = m_unsavedSettings.find({std::string(section), std::string(key)});
    if (unsaved != m_unsavedSettings.end())
        return unsaved->second ? AtoiLike(*unsaved->second) : def;
    return platform::ProfileReadInt(section, key, def, m_settings.iniPath);
}

bool CVoicePlayer::WriteSetting(std::string_view section, std::string_view key,
                                std::optional<std::string_view> value) {
    std::pair<std::string, std::string> name{section, key};
    platform::ProfileWriteError error;
    if (platform::ProfileWriteString(section, key, value, m_settings.iniPath, &error,
                                     m_services.profileWrite)) {
        m_unsavedSettings.erase(name);
        return true;
    }
    m_unsavedSettings[std::move(name)] = value ? std::optional<std::string>(*value) : std::nullopt;
    if (m_settingsFailureShown.insert(m_settings.iniPath).second)
        ShowOkMessage(*m_services.prompts, ids::IDS_SETTINGS_WRITE_FAILED, platform::MsgIcon::None,
                      m_settings.iniPath, WriteFailureReason(error));
    return false;
}

void CVoicePlayer::SetModel(int model) {
    m_settings.model = model;
    WriteSetting("SOUND", "TIKO", model == 2 ? "2" : "1");
}

bool CVoicePlayer::SetVoiceSets(unsigned voiceSets) {
    if (voiceSets == m_settings.voiceSets)
        return false;
    m_settings.voiceSets = voiceSets;
    WriteSetting("DATA", "VERSION", std::to_string(voiceSets));
    return true;
}

void CVoicePlayer::SetRoute(int route) {
    m_settings.route = route;
    WriteSetting("REMOTE", "CONNECT_TYPE", std::to_string(route));
}

void CVoicePlayer::SetDefaultInterval(int seconds) {
    m_settings.defaultInterval = seconds;
    WriteSetting("PLAY", "DEFAULT_INTERVAL", std::to_string(seconds));
}

std::string CVoicePlayer::FlashAirCardList() const {
    return ReadSettingSized("REMOTE", "FLASHAIR", "", kTargetListBuffer);
}

void CVoicePlayer::SetFlashAirCards(std::string_view list) {
    WriteSetting("REMOTE", "FLASHAIR",
                 list.empty() ? std::nullopt : std::optional<std::string_view>(list));
    LoadRemoteSettings();
}

bool CVoicePlayer::SeveralFlashAirCards() const {
    return m_settings.route == CONNECT_FLASHAIR && m_targets.hosts.size() > 1;
}

void CVoicePlayer::SetRecognitionVoice(bool on) {
    m_settings.recognitionVoice = on;
    WriteSetting("SOUND", "NINSHIKI_VOICE", on ? "1" : "0");
}

const VoiceEntry* CVoicePlayer::FindEntryByText(std::string_view text) const {
    for (const auto& e : m_catalogue.entries)
        if (!e.pszText.empty() && e.pszText == text)
            return &e;
    return nullptr;
}

const VoiceEntry* CVoicePlayer::FindEntryBySoundId(std::int16_t id) const {
    for (const auto& e : m_catalogue.entries)
        if (e.nSoundId == id)
            return &e;
    return nullptr;
}

std::string_view CVoicePlayer::RecognitionFolderName() const {
    return m_settings.model == 2 ? "NF" : "Ninshiki";
}

std::string CVoicePlayer::ClipPath(const VoiceEntry& entry) const {
    if (m_view.mode == MODE_NINSHIKI)
        return platform::JoinPath({m_settings.voiceFolder, RecognitionFolderName(), entry.pszFile});
    return platform::JoinPath({m_settings.voiceFolder, entry.pszFile});
}

std::string CVoicePlayer::ProgramFolder() const {
    std::string folder = platform::ToNativePath(ReadSetting("REMOTE", "PROGRAM_FOLDER", "."));
    if (folder.empty() || folder.back() != platform::kPathSeparator)
        folder += platform::kPathSeparator;
    return folder;
}

int CVoicePlayer::NextRandom() {
    // The classic C library generator: 0..32767, reproducible from its seed.
    m_randomState = m_randomState * 214013u + 2531011u;
    return static_cast<int>((m_randomState >> 16) & 0x7FFF);
}

void CVoicePlayer::StopSequence(platform::DialogHost& dlg) {
    m_sequence.playList.reset();
    m_sequence.kind = SequenceKind::None;
    dlg.KillTimer(SEQUENCE_TIMER);
    dlg.EnableItem(ctl::kPlay, true);
    dlg.EnableItem(ctl::kStop, false);
}
