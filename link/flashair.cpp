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
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
    std::FILE* file = platform::OpenDataFile(path);
    if (!file)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || bytes.empty())
        return std::nullopt;
    return bytes;
}

} // namespace

void CVoicePlayer::SendFlashAirCommand(std::int16_t volume, std::int16_t code,
                                       std::int16_t length) {
    RemoteCommand command =
        BuildRemoteCommand(RemoteRoute::FlashAir, m_nMode, m_nRemoteInterval, code, length, volume);
    auto upload = [&](int card) {
        if (m_pnTargetTimes && card < static_cast<int>(m_pnTargetTimes->size()))
            command.targetTime = (*m_pnTargetTimes)[static_cast<std::size_t>(card)];
        const auto bytes = command.Bytes();
        // A failure reports itself; the next card is tried all the same.
        PutFlashAirFile(m_apszTargets[static_cast<std::size_t>(card)], kRecordName, bytes.data(),
                        bytes.size(), true, true);
    };
    const int count = std::min(m_nTargetCount, static_cast<int>(m_apszTargets.size()));
    if (m_nTargetSel == -1) {
        for (int card = 0; card < count; ++card)
            upload(card);
    } else if (m_nTargetSel >= 0 && m_nTargetSel < count) {
        upload(m_nTargetSel);
    }
}

bool CVoicePlayer::SendFlashAirFile(const std::string& path, platform::DialogHost& dlg) {
    const int selected = m_nTargetSel;
    const auto bytes = ReadWholeFile(path);
    if (!bytes) {
        ShowOkMessage(ids::IDS_PROGRAM_READ_FAILED, platform::MsgIcon::None);
        return false;
    }
    const bool program = !path.empty() && path.back() == '4';
    const char* name = program ? kProgramName : kClipName;

    const int count = std::min(m_nTargetCount, static_cast<int>(m_apszTargets.size()));
    if (selected == -1) {
        for (int card = 0; card < count; ++card) {
            if (!PutFlashAirFile(m_apszTargets[static_cast<std::size_t>(card)], name, bytes->data(),
                                 bytes->size(), true, true))
                return false; // no card gets a command
        }
    } else {
        if (selected < 0 || selected >= count)
            return false;
        if (!PutFlashAirFile(m_apszTargets[static_cast<std::size_t>(selected)], name, bytes->data(),
                             bytes->size(), true, true))
            return false;
    }

    if (program) {
        SendFlashAirCommand(0, REMOTE_CODE_PROGRAM, 0);
    } else {
        const std::int16_t length = WavLengthSeconds(bytes->data(), bytes->size());
        const auto volume = static_cast<std::int16_t>(100 - dlg.TrackGetPos(ctl::kVolume));
        SendFlashAirCommand(volume, REMOTE_CODE_WAV, length);
    }
    return true;
}
