// The FlashAir route of the robot link: the command record and the
// files that go with it, uploaded to one or every card of the target table.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "core/voice_player.h"
#include "link/flashair_client.h"
#include "link/remote_command.h"
#include "platform/dialog_host.h"
#include "platform/paths.h"
#include "resources/string_table.h"

namespace {

// The record's name on the card (the folder request selects /ADDON; the card
// keeps the part after the backslash).
constexpr const char* kRecordName = "ADDON\\REMOTE.LOG";
constexpr const char* kProgramName = "TEMP.TM4";
constexpr const char* kClipName = "TEMP.wav";

// The whole file, or nothing when it cannot be opened or read, or is empty.
// Read in chunks to its end rather than sized by a seek, so that a folder or
// a device gives nothing instead of a bogus size.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::string bytes;
    if (!platform::ReadDataFile(path, bytes) || bytes.empty())
        return std::nullopt;
    return bytes;
}

// The cards a send goes to: every card when selected is -1, otherwise the
// selected one (none when out of range).
std::vector<int> SendCards(int selected, std::size_t count) {
    std::vector<int> cards;
    for (int card = 0; static_cast<std::size_t>(card) < count; ++card)
        if (selected == -1 || selected == card)
            cards.push_back(card);
    return cards;
}

} // namespace

void CVoicePlayer::SendFlashAirCommand(std::int16_t volume, std::int16_t code,
                                       std::int16_t length) {
    RemoteCommand command = BuildRemoteCommand(RemoteRoute::FlashAir, m_view.mode,
                                               m_link.remoteInterval, code, length, volume);
    const std::vector<int> cards = SendCards(m_targets.selected, m_targets.hosts.size());
    std::vector<std::array<std::uint8_t, REMOTE_COMMAND_SIZE>> records;
    records.reserve(cards.size()); // the uploads point into them
    std::vector<FlashAirUpload> uploads;
    for (int card : cards) {
        if (m_targets.times && card < static_cast<int>(m_targets.times->size()))
            command.targetTime = (*m_targets.times)[static_cast<std::size_t>(card)];
        records.push_back(command.Bytes());
        uploads.push_back({m_targets.hosts[static_cast<std::size_t>(card)], records.back().data(),
                           records.back().size()});
    }
    // A failure reports itself; the other cards get the command all the same.
    PutFlashAirFiles(m_services, uploads, kRecordName, true, true);
}

bool CVoicePlayer::SendFlashAirFile(const std::string& path, platform::DialogHost& dlg) {
    const int selected = m_targets.selected;
    const auto bytes = ReadWholeFile(path);
    if (!bytes) {
        ShowOkMessage(*m_services.prompts, ids::IDS_PROGRAM_READ_FAILED, platform::MsgIcon::None);
        return false;
    }
    const bool program = !path.empty() && path.back() == '4';
    const char* name = program ? kProgramName : kClipName;

    const std::vector<int> cards = SendCards(selected, m_targets.hosts.size());
    if (cards.empty())
        return false;
    std::vector<FlashAirUpload> uploads;
    for (int card : cards)
        uploads.push_back(
            {m_targets.hosts[static_cast<std::size_t>(card)], bytes->data(), bytes->size()});
    // Every card gets the file; after any failure no card gets a command.
    const std::vector<bool> sent = PutFlashAirFiles(m_services, uploads, name, true, true);
    if (std::find(sent.begin(), sent.end(), false) != sent.end())
        return false;

    if (program) {
        SendFlashAirCommand(0, REMOTE_CODE_PROGRAM, 0);
    } else {
        const std::int16_t length =
            WavLengthSeconds(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size());
        const auto volume = static_cast<std::int16_t>(100 - dlg.TrackGetPos(ctl::kVolume));
        SendFlashAirCommand(volume, REMOTE_CODE_WAV, length);
    }
    return true;
}
