// The 16-byte command record on both routes and the clip length it carries,
// as bytes, from tests/fixtures/vectors/remote_command.txt.
#include <gtest/gtest.h>

#include "core/voice_player.h"
#include "link/link_fixture.h"
#include "link/remote_command.h"

TEST(RemoteCommandTest, Vectors) {
    const auto word = [](const std::string& s) { return static_cast<std::int16_t>(std::stoi(s)); };
    for (const auto& v : testsupport::Vectors("remote_command.txt")) {
        SCOPED_TRACE(testing::PrintToString(v));
        if (v[0] == "record") {
            const int mode = v[1] == "voice" ? MODE_VOICE : MODE_NINSHIKI;
            for (const auto& [route, expected] :
                 {std::pair{RemoteRoute::FlashAir, v[6]}, std::pair{RemoteRoute::Card, v[7]}}) {
                const auto bytes = BuildRemoteCommand(route, mode, std::stoi(v[2]), word(v[3]),
                                                      word(v[4]), word(v[5]))
                                       .Bytes();
                EXPECT_EQ(
                    linktest::Hex({reinterpret_cast<const char*>(bytes.data()), bytes.size()}),
                    expected.empty() ? v[6] : expected);
            }
        } else if (v[0] == "wav") {
            const std::string wav = linktest::Clip(std::stoi(v[1]), std::stoi(v[2]));
            EXPECT_EQ(WavLengthSeconds(reinterpret_cast<const std::uint8_t*>(wav.data()),
                                       std::stoul(v[3])),
                      std::stoi(v[4]));
        } else {
            EXPECT_EQ(EffectiveRemoteInterval(std::stoi(v[1])), std::stoi(v[2]));
        }
    }
    EXPECT_EQ(WavLengthSeconds(nullptr, 44), 3);
}
