// The FlashAir route of the robot link: the command record and the
// files that go with it, uploaded to one or every card of the target table.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "core/voice_player.h"
#include "link/card_files.h"
#include "link/flashair_client.h"
#include "link/remote_command.h"
#include "platform/paths.h"
#include "resources/string_table.h"

namespace {

// The whole file, or nothing when it cannot be opened or read, or is empty.
// Read in chunks to its end rather than sized by a seek, so that a folder or
// a device gives nothing instead of a bogus size.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::string bytes;
    if (!platform::ReadDataFile(path, bytes) || bytes.empty())
        return std::nullopt;
    return bytes;
}

// The cards a send goes to, as indexes of the target table: every card
// without a chosen one, otherwise the card that '1'..'9' names (none when the
// name is another character or beyond the table).
std::vector<std::size_t> ChooseCards(std::optional<char> card, std::size_t count) {
    std::vector<std::size_t> cards;
    if (!card) {
        for (std::size_t i = 0; i < count; ++i)
            cards.push_back(i);
    } else if (*card >= '1' && *card <= '9' && static_cast<std::size_t>(*card - '1') < count) {
        cards.push_back(static_cast<std::size_t>(*card - '1'));
    }
    return cards;
}

} // namespace

void CVoicePlayer::SendFlashAirCommand(const RouteSend& send) {
    RemoteCommand command =
        BuildRemoteCommand(RemoteRoute::FlashAir, m_view.mode, m_link.remoteInterval, send.code,
                           send.length, send.volume);
    const std::vector<std::size_t> cards = ChooseCards(send.card, m_targets.hosts.size());
    std::vector<std::array<std::uint8_t, REMOTE_COMMAND_SIZE>> records;
    records.reserve(cards.size()); // the uploads point into them
    std::vector<FlashAirUpload> uploads;
    for (std::size_t card : cards) {
        if (m_targets.times && card < m_targets.times->size())
            command.targetTime = (*m_targets.times)[card];
        records.push_back(command.Bytes());
        uploads.push_back({m_targets.hosts[card], records.back().data(), records.back().size()});
    }
    // A failure reports itself; the other cards get the command all the same.
    (void)PutFlashAirFiles(m_services, uploads, CardPath("", '\\', kRecordFile), true, true);
}

bool CVoicePlayer::SendFlashAirFile(const RouteSend& send) {
    const auto bytes = ReadWholeFile(send.file);
    if (!bytes) {
        ShowOkMessage(*m_services.prompts, ids::IDS_PROGRAM_READ_FAILED, platform::MsgIcon::None);
        return false;
    }
    const bool program = IsProgramFile(send.file);

    const std::vector<std::size_t> cards = ChooseCards(send.card, m_targets.hosts.size());
    if (cards.empty())
        return false;
    std::vector<FlashAirUpload> uploads;
    for (std::size_t card : cards)
        uploads.push_back({m_targets.hosts[card], bytes->data(), bytes->size()});
    // Every card gets the file; after any failure no card gets a command.
    const std::vector<bool> sent = PutFlashAirFiles(
        m_services, uploads, std::string(program ? kProgramFile : kClipFile), true, true);
    if (std::find(sent.begin(), sent.end(), false) != sent.end())
        return false;

    if (program) {
        SendFlashAirCommand(RouteSend::Record(REMOTE_CODE_PROGRAM, 0, 0, send.card));
    } else {
        const std::int16_t length =
            WavLengthSeconds(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size());
        SendFlashAirCommand(RouteSend::Record(REMOTE_CODE_WAV, length, send.volume, send.card));
    }
    return true;
}
