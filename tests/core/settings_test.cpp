// The player's reading of the settings file at construction.
#include <gtest/gtest.h>

#include "support/player_fixture.h"

TEST_F(PlayerTest, SettingsAreReadAtConstruction) {
    Put("Ninshiki.csv", "h\n");
    Settings("[SOUND]\nTIKO=2\nVOLUME=-2000\nNINSHIKI_VOICE=2\n[LIST]\nNINSHIKI1_DEFAULT=9\n"
             "NINSHIKI2_DEFAULT=3,,5\nVOICE_DEFAULT=8\nVOICE2_DEFAULT=4\n[REMOTE]\n"
             "ALTERNAME_DRIVE=E:\nFLASHAIR=a,,b\nFLASHAIR_TIME=5\n");
    auto& p = Player();
    EXPECT_EQ(p.m_chAltDrive, 'E');
    EXPECT_EQ(p.m_nVolumeMin, -2000);
    EXPECT_EQ(p.m_nVolumeMax, 1000);  // no upper bound given
    EXPECT_FALSE(p.m_bNinshikiVoice); // only 1 counts as on
    EXPECT_EQ(p.m_apszTargets, (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(*p.m_pnTargetTimes, (std::vector<std::int16_t>{5, 0, 0}));
    // The list defaults of the model's key: pieces, gaps as 0, the rest -1.
    EXPECT_EQ(std::vector<int>(p.m_anListDefault.begin(), p.m_anListDefault.begin() + 4),
              (std::vector<int>{3, 0, 5, -1}));
    p.LoadListDefaults(MODE_VOICE);
    EXPECT_EQ(p.m_anListDefault[0], 4);
    EXPECT_TRUE(testsupport::ReadFile(m_dir / "Voxlet.ini").starts_with("[SOUND]\nTIKO=2\n"));
}

TEST_F(PlayerTest, FlashAirListsAreBounded) {
    Put("Ninshiki.csv", "h\n");
    std::string list;
    for (int i = 0; i < 200; ++i)
        list += (i ? "," : "") + std::string("h") + std::to_string(i);
    Settings("[REMOTE]\nFLASHAIR=" + list + "\nFLASHAIR_TIME=1,2,3\n");
    EXPECT_EQ(Player().m_nTargetCount, MAX_TARGETS);
    EXPECT_EQ(Player().m_apszTargets.back(), "h127");
    m_player.reset();
    Settings("[REMOTE]\nFLASHAIR=\nFLASHAIR_TIME=1,2,3\n");
    EXPECT_EQ(Player().m_apszTargets, std::vector<std::string>{""});
    EXPECT_EQ(*Player().m_pnTargetTimes, std::vector<std::int16_t>{1});
    m_player.reset();
    Settings("[REMOTE]\nFLASHAIR=" + std::string(10240, 'x') + "\nREMOTE_MERGIN=250\n");
    EXPECT_EQ(Player().m_nRemoteMergin, 250);
    EXPECT_EQ(Player().m_apszTargets[0].size(), 2047u); // bounded by its 2048-byte buffer
}
