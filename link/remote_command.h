// RemoteCommand: the 16-byte record of ADDON/REMOTE.LOG that tells the robot's
// remote-connection program what to play or run. The record is
// always stored as 16 little-endian bytes, whatever the host's byte order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Codes that are not catalogue sound ids.
constexpr std::int16_t REMOTE_CODE_PROGRAM = 904; // run ADDON/TEMP.TM4
constexpr std::int16_t REMOTE_CODE_WAV = 999;     // play ADDON/TEMP.wav

constexpr std::size_t REMOTE_COMMAND_SIZE = 16;

// The clip length used when a WAV header cannot give one (the drive route's
// own fallback, used on both routes).
constexpr std::int16_t REMOTE_DEFAULT_WAV_SECONDS = 3;

// The two routes build the record alike, except for the volume word of V = 0.
enum class RemoteRoute { FlashAir, Card };

struct RemoteCommand {
    std::int16_t marker = -1;
    std::int16_t code = 0;
    std::int16_t length = 0;
    std::int16_t interval = 0;
    std::int16_t volume = 0;
    std::int16_t targetTime = 0;
    std::array<std::uint8_t, 4> reserved{};

    // The record as it is written or uploaded: six words little-endian, then
    // the reserved bytes.
    std::array<std::uint8_t, REMOTE_COMMAND_SIZE> Bytes() const;
};

// The lip-movement step in milliseconds that the formulas divide by: the
// REMOTE_INTERVAL setting, or 1000 when it is 0 or below.
int EffectiveRemoteInterval(int remoteInterval);

// Builds the record for one command :
// mode is the clip list's mode (MODE_NINSHIKI or MODE_VOICE), remoteInterval
// the REMOTE_INTERVAL setting in milliseconds, length the clip's length L in
// whole seconds, volume the percentage V (0..100).
// targetTime stays 0; the FlashAir route sets it per card.
RemoteCommand BuildRemoteCommand(RemoteRoute route, int mode, int remoteInterval, std::int16_t code,
                                 std::int16_t length, std::int16_t volume);

// The length L of a WAV file from its first bytes: (RIFF chunk size at bytes
// 4..7 / byte rate at bytes 28..31) + 1, both signed 32-bit little-endian. A
// header shorter than 32 bytes or a byte rate of 0 or below gives
// REMOTE_DEFAULT_WAV_SECONDS. The low 16 bits of the result are kept.
std::int16_t WavLengthSeconds(const std::uint8_t* header, std::size_t size);
