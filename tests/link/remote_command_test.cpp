// The 16-byte command record: the edge cases of the layout, on both
// routes, as bytes.
#include <gtest/gtest.h>

#include "core/voice_player.h"
#include "link/link_fixture.h"
#include "link/remote_command.h"

using linktest::Hex;

namespace {

using Route = RemoteRoute;

std::string Record(const RemoteCommand& command) {
    const auto bytes = command.Bytes();
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::string Build(Route route, int mode, int interval, int code, int length, int volume) {
    return Hex(Record(BuildRemoteCommand(route, mode, interval, static_cast<std::int16_t>(code),
                                         static_cast<std::int16_t>(length),
                                         static_cast<std::int16_t>(volume))));
}

// The length of a clip whose header, cut to `size` bytes, gives the chunk size and byte rate.
std::int16_t WavSeconds(std::int32_t chunkSize, std::int32_t byteRate, std::size_t size = 44) {
    const std::string wav = linktest::Clip(chunkSize, byteRate);
    return WavLengthSeconds(reinterpret_cast<const std::uint8_t*>(wav.data()), size);
}

} // namespace

TEST(RemoteCommandTest, RecordsOfBothRoutes) {
    const std::string voice = "FF FF 7B 00 06 00 19 00 00 00 00 00 00 00 00 00";
    const std::string recognition = "FE FF 7B 00 00 00 00 00 00 00 00 00 00 00 00 00";
    const std::string wav = "FF FF E7 03 06 00 19 00 02 00 00 00 00 00 00 00";
    const struct {
        int mode, interval, code, length, volume;
        std::string flashAir, card; // card "" = as on FlashAir
    } cases[] = {
        {MODE_VOICE, 1000, 123, 3, 100, voice, ""},
        // An interval of 0 or below counts as 1000.
        {MODE_VOICE, 0, 123, 3, 100, voice, ""},
        {MODE_VOICE, -1000, 123, 3, 100, voice, ""},
        // Volume 0 is -1 on FlashAir and 5 on the card.
        {MODE_VOICE, 1000, 123, 3, 0, "FF FF 7B 00 06 00 19 00 FF FF 00 00 00 00 00 00",
         "FF FF 7B 00 06 00 19 00 05 00 00 00 00 00 00 00"},
        {MODE_VOICE, 300, 123, 3, 100, "FF FF 7B 00 14 00 07 00 00 00 00 00 00 00 00 00", ""},
        // 7 * 2000 / 3000 = 4.67 -> 4, 3000 / 40 = 75; a negative length divides toward zero.
        {MODE_VOICE, 3000, 1, 7, 100, "FF FF 01 00 04 00 4B 00 00 00 00 00 00 00 00 00", ""},
        {MODE_VOICE, 3000, 1, -7, 100, "FF FF 01 00 FC FF 4B 00 00 00 00 00 00 00 00 00", ""},
        // 32767 * 2000 / 1 overflows 16 bits: the low word is kept.
        {MODE_VOICE, 1, 1, 32767, 100, "FF FF 01 00 30 F8 00 00 00 00 00 00 00 00 00 00", ""},
        // Recognition mode leaves the words empty, except for a WAV (code 999).
        {MODE_NINSHIKI, 1000, 904, 0, 0, "FE FF 88 03 00 00 00 00 00 00 00 00 00 00 00 00", ""},
        {MODE_NINSHIKI, 300, 123, 9, 50, recognition, ""},
        {MODE_NINSHIKI, 1000, 999, 3, 50, wav, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.interval << " " << c.code << " "
                                        << c.length << " " << c.volume);
        EXPECT_EQ(Build(Route::FlashAir, c.mode, c.interval, c.code, c.length, c.volume),
                  c.flashAir);
        EXPECT_EQ(Build(Route::Card, c.mode, c.interval, c.code, c.length, c.volume),
                  c.card.empty() ? c.flashAir : c.card);
    }
    EXPECT_EQ(EffectiveRemoteInterval(-40), 1000);
    EXPECT_EQ(EffectiveRemoteInterval(1), 1);
}

TEST(RemoteCommandTest, VolumeWordSteps) {
    const std::pair<int, int> steps[] = {{100, 0}, {81, 0}, {80, 1}, {61, 1}, {60, 2},
                                         {41, 2},  {40, 3}, {21, 3}, {20, 4}, {1, 4}};
    for (const auto& [percent, word] : steps)
        EXPECT_EQ(BuildRemoteCommand(Route::Card, MODE_VOICE, 1000, 1, 1,
                                     static_cast<std::int16_t>(percent))
                      .volume,
                  word)
            << percent;
}

TEST(RemoteCommandTest, WavLength) {
    EXPECT_EQ(WavSeconds(352836, 176400), 3);
    EXPECT_EQ(WavSeconds(176399, 176400), 1);
    EXPECT_EQ(WavSeconds(0, 8000), 1);
    EXPECT_EQ(WavSeconds(10 * 176400, 176400, 32), 11); // exactly 32 bytes are enough
    // INT32_MAX / 1 + 1 does not overflow; its low word is kept.
    EXPECT_EQ(WavSeconds(0x7FFFFFFF, 1), 0);
    EXPECT_EQ(WavSeconds(-176400 * 2, 176400), -1);
    // Three seconds when the header is short or the byte rate not above 0.
    EXPECT_EQ(WavSeconds(10 * 176400, 176400, 31), 3);
    EXPECT_EQ(WavSeconds(10 * 176400, 0), 3);
    EXPECT_EQ(WavLengthSeconds(nullptr, 44), 3);
}
