// The player's reading of the settings file at construction.
#include <gtest/gtest.h>

#include "support/player_fixture.h"

TEST_F(PlayerTest, SettingsAreReadAtConstruction) {
    Put("Ninshiki.csv", "h\n");
    Settings("[SOUND]\nTIKO=2\nVOLUME=-2000\nNINSHIKI_VOICE=2\n[LIST]\nNINSHIKI1_DEFAULT=9\n"
             "NINSHIKI2_DEFAULT=3,,5\nVOICE_DEFAULT=8\nVOICE2_DEFAULT=4\n[REMOTE]\n"
             "ALTERNAME_DRIVE=E:\nFLASHAIR=a,,b\nFLASHAIR_TIME=5\n");
    auto& p = Player();
    EXPECT_EQ(p.Link().altDrive, 'E');
    EXPECT_EQ(p.Settings().volumeMin, -2000);
    EXPECT_EQ(p.Settings().volumeMax, 1000);     // no upper bound given
    EXPECT_FALSE(p.Settings().recognitionVoice); // only 1 counts as on
    EXPECT_EQ(p.Targets().hosts, (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(*p.Targets().times, (std::vector<std::int16_t>{5, 0, 0}));
    // The list defaults of the model's key: pieces, gaps as 0, the rest -1.
    const auto& defaults = p.Settings().listDefaults;
    EXPECT_EQ(std::vector<int>(defaults.begin(), defaults.begin() + 4),
              (std::vector<int>{3, 0, 5, -1}));
    p.LoadListDefaults(MODE_VOICE);
    EXPECT_EQ(p.Settings().listDefaults[0], 4);
    EXPECT_TRUE(testsupport::ReadFile(m_dir / "Voxlet.ini").starts_with("[SOUND]\nTIKO=2\n"));
}

TEST_F(PlayerTest, FlashAirListsAreBounded) {
    Put("Ninshiki.csv", "h\n");
    std::string list;
    for (int i = 0; i < 200; ++i)
        list += (i ? "," : "") + std::string("h") + std::to_string(i);
    Settings("[REMOTE]\nFLASHAIR=" + list + "\nFLASHAIR_TIME=1,2,3\n");
    EXPECT_EQ(Player().Targets().hosts.size(), std::size_t{MAX_TARGETS});
    EXPECT_EQ(Player().Targets().hosts.back(), "h127");
    m_player.reset();
    Settings("[REMOTE]\nFLASHAIR=\nFLASHAIR_TIME=1,2,3\n");
    EXPECT_EQ(Player().Targets().hosts, std::vector<std::string>{""});
    EXPECT_EQ(*Player().Targets().times, std::vector<std::int16_t>{1});
    m_player.reset();
    Settings("[REMOTE]\nFLASHAIR=" + std::string(10240, 'x') + "\nREMOTE_MERGIN=250\n");
    EXPECT_EQ(Player().Link().remoteMargin, 250);
    EXPECT_EQ(Player().Targets().hosts[0].size(), 2047u); // bounded by its 2048-byte buffer
}
