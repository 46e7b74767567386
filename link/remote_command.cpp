#include "link/remote_command.h"

#include "core/player_state.h"

namespace {

constexpr int kFallbackRemoteInterval = 1000;

// The low 16 bits of a 32-bit result, as a signed word.
std::int16_t LowWord(std::int64_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

void PutWord(std::uint8_t* out, std::int16_t value) {
    const auto u = static_cast<std::uint16_t>(value);
    out[0] = static_cast<std::uint8_t>(u & 0xFF);
    out[1] = static_cast<std::uint8_t>(u >> 8);
}

std::int32_t GetInt32(const std::uint8_t* in) {
    const std::uint32_t u =
        static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
        (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
    return static_cast<std::int32_t>(u);
}

} // namespace

std::array<std::uint8_t, REMOTE_COMMAND_SIZE> RemoteCommand::Bytes() const {
    std::array<std::uint8_t, REMOTE_COMMAND_SIZE> bytes{};
    PutWord(&bytes[0], marker);
    PutWord(&bytes[2], code);
    PutWord(&bytes[4], length);
    PutWord(&bytes[6], interval);
    PutWord(&bytes[8], volume);
    PutWord(&bytes[10], targetTime);
    for (std::size_t i = 0; i < reserved.size(); ++i)
        bytes[12 + i] = reserved[i];
    return bytes;
}

int EffectiveRemoteInterval(int remoteInterval) {
    return remoteInterval > 0 ? remoteInterval : kFallbackRemoteInterval;
}

RemoteCommand BuildRemoteCommand(RemoteRoute route, int mode, int remoteInterval, std::int16_t code,
                                 std::int16_t length, std::int16_t volume) {
    RemoteCommand command;
    command.marker = -1;
    command.code = code;
    if (mode == MODE_NINSHIKI && code != REMOTE_CODE_WAV) {
        command.marker = -2; // byte 0 is 0xFE; length, interval and volume stay 0
        return command;
    }
    const std::int32_t step = EffectiveRemoteInterval(remoteInterval);
    command.length = LowWord(static_cast<std::int32_t>(length) * 2000 / step);
    command.interval = LowWord(step / 40);
    if (route == RemoteRoute::FlashAir && volume == 0)
        command.volume = -1;
    else
        command.volume = LowWord((100 - static_cast<std::int32_t>(volume)) / 20);
    return command;
}

std::int16_t WavLengthSeconds(const std::uint8_t* header, std::size_t size) {
    if (header == nullptr || size < 32)
        return REMOTE_DEFAULT_WAV_SECONDS;
    const std::int32_t chunkSize = GetInt32(header + 4);
    const std::int32_t byteRate = GetInt32(header + 28);
    if (byteRate <= 0)
        return REMOTE_DEFAULT_WAV_SECONDS;
    return LowWord(static_cast<std::int64_t>(chunkSize / byteRate) + 1);
}
