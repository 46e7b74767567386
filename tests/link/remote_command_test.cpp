// The 16-byte command record: the edge cases of the layout, on both
// routes, as bytes.
#include <gtest/gtest.h>

#include "core/voice_player.h"
#include "link/link_fixture.h"
#include "link/remote_command.h"

using linktest::Bytes;
using linktest::Hex;

namespace {

std::string Record(const RemoteCommand& command) {
    const auto bytes = command.Bytes();
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::string Build(RemoteRoute route, int mode, int interval, int code, int length, int volume) {
    return Record(BuildRemoteCommand(route, mode, interval, static_cast<std::int16_t>(code),
                                     static_cast<std::int16_t>(length),
                                     static_cast<std::int16_t>(volume)));
}

std::int16_t VolumeWord(RemoteRoute route, int volume) {
    return BuildRemoteCommand(route, MODE_VOICE, 1000, 1, 1, static_cast<std::int16_t>(volume))
        .volume;
}

std::string WavHeader(std::int32_t chunkSize, std::int32_t byteRate, std::size_t size = 44) {
    std::string h(size, '\0');
    auto put = [&](std::size_t at, std::int32_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4 && at + static_cast<std::size_t>(i) < h.size(); ++i)
            h[at + static_cast<std::size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xFF);
    };
    put(4, chunkSize);
    put(28, byteRate);
    return h;
}

std::int16_t WavSeconds(const std::string& header) {
    return WavLengthSeconds(reinterpret_cast<const std::uint8_t*>(header.data()), header.size());
}

} // namespace

TEST(RemoteCommandTest, IsSixteenBytes) {
    EXPECT_EQ(sizeof(RemoteCommand().Bytes()), 16u);
    EXPECT_EQ(REMOTE_COMMAND_SIZE, 16u);
}

TEST(RemoteCommandTest, VoiceClipOnFlashAir) {
    const std::string record = Build(RemoteRoute::FlashAir, MODE_VOICE, 1000, 123, 3, 100);
    EXPECT_EQ(Hex(record), "FF FF 7B 00 06 00 19 00 00 00 00 00 00 00 00 00");
}

TEST(RemoteCommandTest, VoiceClipOnCardIsTheSame) {
    EXPECT_EQ(Hex(Build(RemoteRoute::Card, MODE_VOICE, 1000, 123, 3, 100)),
              "FF FF 7B 00 06 00 19 00 00 00 00 00 00 00 00 00");
}

TEST(RemoteCommandTest, ProgramInRecognitionMode) {
    for (auto route : {RemoteRoute::FlashAir, RemoteRoute::Card}) {
        RemoteCommand command = BuildRemoteCommand(route, MODE_NINSHIKI, 1000, 904, 0, 0);
        EXPECT_EQ(command.marker, -2);
        EXPECT_EQ(Hex(Record(command)), "FE FF 88 03 00 00 00 00 00 00 00 00 00 00 00 00");
        command.targetTime = 500;
        EXPECT_EQ(Hex(Record(command)), "FE FF 88 03 00 00 00 00 00 00 F4 01 00 00 00 00");
    }
}

TEST(RemoteCommandTest, CatalogueClipInRecognitionModeLeavesWordsEmpty) {
    EXPECT_EQ(Hex(Build(RemoteRoute::FlashAir, MODE_NINSHIKI, 1000, 123, 3, 0)),
              "FE FF 7B 00 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(Hex(Build(RemoteRoute::Card, MODE_NINSHIKI, 300, 123, 9, 50)),
              "FE FF 7B 00 00 00 00 00 00 00 00 00 00 00 00 00");
}

TEST(RemoteCommandTest, WavInRecognitionModeFillsEveryWord) {
    // Code 999 is excepted from the marker rule.
    EXPECT_EQ(Hex(Build(RemoteRoute::FlashAir, MODE_NINSHIKI, 1000, 999, 3, 50)),
              "FF FF E7 03 06 00 19 00 02 00 00 00 00 00 00 00");
    EXPECT_EQ(Hex(Build(RemoteRoute::Card, MODE_NINSHIKI, 1000, 999, 3, 50)),
              "FF FF E7 03 06 00 19 00 02 00 00 00 00 00 00 00");
}

TEST(RemoteCommandTest, VolumeZeroDiffersByRoute) {
    const std::string flash = Build(RemoteRoute::FlashAir, MODE_VOICE, 1000, 123, 3, 0);
    const std::string card = Build(RemoteRoute::Card, MODE_VOICE, 1000, 123, 3, 0);
    EXPECT_EQ(Hex(flash.substr(8, 2)), "FF FF");
    EXPECT_EQ(Hex(card.substr(8, 2)), "05 00");
}

TEST(RemoteCommandTest, VolumeTable) {
    for (auto route : {RemoteRoute::FlashAir, RemoteRoute::Card}) {
        EXPECT_EQ(VolumeWord(route, 100), 0);
        EXPECT_EQ(VolumeWord(route, 81), 0);
        EXPECT_EQ(VolumeWord(route, 80), 1);
        EXPECT_EQ(VolumeWord(route, 61), 1);
        EXPECT_EQ(VolumeWord(route, 60), 2);
        EXPECT_EQ(VolumeWord(route, 41), 2);
        EXPECT_EQ(VolumeWord(route, 40), 3);
        EXPECT_EQ(VolumeWord(route, 21), 3);
        EXPECT_EQ(VolumeWord(route, 20), 4);
        EXPECT_EQ(VolumeWord(route, 1), 4);
    }
    EXPECT_EQ(VolumeWord(RemoteRoute::FlashAir, 0), -1);
    EXPECT_EQ(VolumeWord(RemoteRoute::Card, 0), 5);
}

TEST(RemoteCommandTest, Interval300) {
    const RemoteCommand command =
        BuildRemoteCommand(RemoteRoute::FlashAir, MODE_VOICE, 300, 123, 3, 100);
    EXPECT_EQ(command.length, 20);
    EXPECT_EQ(command.interval, 7);
    EXPECT_EQ(Hex(Record(command).substr(4, 4)), "14 00 07 00");
}

TEST(RemoteCommandTest, IntervalZeroOrBelowUses1000) {
    EXPECT_EQ(EffectiveRemoteInterval(0), 1000);
    EXPECT_EQ(EffectiveRemoteInterval(-40), 1000);
    EXPECT_EQ(EffectiveRemoteInterval(1), 1);
    for (int interval : {0, -1, -1000}) {
        EXPECT_EQ(Hex(Build(RemoteRoute::Card, MODE_VOICE, interval, 123, 3, 100)),
                  "FF FF 7B 00 06 00 19 00 00 00 00 00 00 00 00 00")
            << interval;
    }
}

TEST(RemoteCommandTest, DivisionsTruncateAndKeepLowWords) {
    // 7 * 2000 / 3000 = 4.67 -> 4; 3000 / 40 = 75.
    const RemoteCommand a = BuildRemoteCommand(RemoteRoute::Card, MODE_VOICE, 3000, 1, 7, 100);
    EXPECT_EQ(a.length, 4);
    EXPECT_EQ(a.interval, 75);
    // 32767 * 2000 / 1 overflows 16 bits: the low word is kept.
    const RemoteCommand b = BuildRemoteCommand(RemoteRoute::Card, MODE_VOICE, 1, 1, 32767, 100);
    EXPECT_EQ(static_cast<std::uint16_t>(b.length),
              static_cast<std::uint16_t>((32767 * 2000) & 0xFFFF));
    // A negative length divides toward zero.
    const RemoteCommand c = BuildRemoteCommand(RemoteRoute::Card, MODE_VOICE, 3000, 1, -7, 100);
    EXPECT_EQ(c.length, -4);
}

TEST(RemoteCommandTest, BytesAreLittleEndian) {
    RemoteCommand command;
    command.marker = -1;
    command.code = 0x1234;
    command.length = -2;
    command.interval = 0x0102;
    command.volume = 0x7FFF;
    command.targetTime = -32768;
    EXPECT_EQ(Hex(Record(command)), "FF FF 34 12 FE FF 02 01 FF 7F 00 80 00 00 00 00");
}

TEST(RemoteCommandTest, WavLength) {
    EXPECT_EQ(WavSeconds(WavHeader(352836, 176400)), 3);
    EXPECT_EQ(WavSeconds(WavHeader(176399, 176400)), 1);
    EXPECT_EQ(WavSeconds(WavHeader(0, 8000)), 1);
    // Exactly 32 bytes are enough.
    EXPECT_EQ(WavSeconds(WavHeader(352836, 176400, 32)), 3);
}

TEST(RemoteCommandTest, WavLengthFallsBackToThreeSeconds) {
    EXPECT_EQ(WavSeconds(WavHeader(352836, 176400, 31)), 3); // shorter than 32 bytes
    EXPECT_EQ(WavSeconds(WavHeader(10 * 176400, 176400, 31)), 3);
    EXPECT_EQ(WavSeconds(WavHeader(10 * 176400, 0)), 3);  // byte rate 0
    EXPECT_EQ(WavSeconds(WavHeader(10 * 176400, -1)), 3); // byte rate below 0
    EXPECT_EQ(WavSeconds(std::string()), 3);
    EXPECT_EQ(WavLengthSeconds(nullptr, 44), 3);
}

TEST(RemoteCommandTest, WavLengthOfExtremeHeaders) {
    // INT32_MAX / 1 + 1 does not overflow; its low word is kept.
    EXPECT_EQ(static_cast<std::uint16_t>(WavSeconds(WavHeader(0x7FFFFFFF, 1))), 0x0000);
    EXPECT_EQ(WavSeconds(WavHeader(-176400 * 2, 176400)), -1);
}
