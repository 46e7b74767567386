// The player's reading of the settings file at construction and start-up.
#include <gtest/gtest.h>

#include "support/player_fixture.h"

TEST_F(PlayerTest, DefaultsWithoutSettingsFile) {
    Put("Ninshiki.csv", "h\n");
    auto& p = Player();
    EXPECT_EQ(p.m_nVersion, 1u);
    EXPECT_EQ(p.m_nTikoModel, 1);
    EXPECT_EQ(p.m_nVolumeMin, -1500);
    EXPECT_EQ(p.m_nVolumeMax, 1000);
    EXPECT_EQ(p.m_nIntervalMergin, 1000);
    EXPECT_EQ(p.m_nRemoteMergin, 1000);
    EXPECT_EQ(p.m_nRemoteInterval, 1000);
    EXPECT_EQ(p.m_nTargetCount, 1);
    EXPECT_EQ(p.m_apszTargets, std::vector<std::string>{"flashair"});
    EXPECT_EQ(p.m_nTargetSel, -1);
    EXPECT_FALSE(p.m_pnTargetTimes.has_value());
    EXPECT_EQ(p.m_chAltDrive, 0);
    EXPECT_FALSE(p.m_bNinshikiVoice);
    for (int d : p.m_anListDefault)
        EXPECT_EQ(d, -1);
    EXPECT_EQ(p.m_nCategory, -1);
    EXPECT_TRUE(p.m_bVolumeChanged);
    EXPECT_FALSE(testsupport::ReadFile(m_dir / "Voxlet.ini").size()); // nothing written
}

TEST_F(PlayerTest, ListDefaultsPiecesAndGaps) {
    Settings(
        "[LIST]\nNINSHIKI1_DEFAULT=3,,5\nVOICE_DEFAULT=" +
        std::string(
            "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30") +
        "\n");
    Put("Ninshiki.csv", "h\n");
    auto& p = Player();
    EXPECT_EQ(p.m_anListDefault[0], 3);
    EXPECT_EQ(p.m_anListDefault[1], 0);
    EXPECT_EQ(p.m_anListDefault[2], 5);
    for (int i = 3; i < CATEGORY_COUNT; ++i)
        EXPECT_EQ(p.m_anListDefault[static_cast<std::size_t>(i)], -1);
    p.LoadListDefaults(MODE_VOICE);
    EXPECT_EQ(p.m_anListDefault[0], 1);
    EXPECT_EQ(p.m_anListDefault[22], 23);
}

TEST_F(PlayerTest, ListDefaultKeyFollowsModel) {
    Settings("[SOUND]\nTIKO=2\n[LIST]\nNINSHIKI1_DEFAULT=1\nNINSHIKI2_DEFAULT=2\n"
             "VOICE_DEFAULT=3\nVOICE2_DEFAULT=4\n");
    Put("Ninshiki.csv", "h\n");
    auto& p = Player();
    EXPECT_EQ(p.m_anListDefault[0], 2);
    p.LoadListDefaults(MODE_VOICE);
    EXPECT_EQ(p.m_anListDefault[0], 4);
}

TEST_F(PlayerTest, FlashAirTargetsAndTimes) {
    Put("Ninshiki.csv", "h\n");
    Settings("[REMOTE]\nFLASHAIR=a,,b\nFLASHAIR_TIME=5\n");
    {
        auto& p = Player();
        EXPECT_EQ(p.m_apszTargets, (std::vector<std::string>{"a", "", "b"}));
        EXPECT_EQ(p.m_nTargetCount, 3);
        ASSERT_TRUE(p.m_pnTargetTimes.has_value());
        EXPECT_EQ(*p.m_pnTargetTimes, (std::vector<std::int16_t>{5, 0, 0}));
    }
    m_player.reset();
    Settings("[REMOTE]\nFLASHAIR=\nFLASHAIR_TIME=1,2,3\n");
    EXPECT_EQ(Player().m_apszTargets, std::vector<std::string>{""});
    EXPECT_EQ(*Player().m_pnTargetTimes, std::vector<std::int16_t>{1});
}

TEST_F(PlayerTest, MoreThan128FlashAirNamesKeepTheFirst128) {
    Put("Ninshiki.csv", "h\n");
    std::string list;
    for (int i = 0; i < 200; ++i)
        list += (i ? "," : "") + std::string("h") + std::to_string(i);
    Settings("[REMOTE]\nFLASHAIR=" + list + "\n");
    auto& p = Player();
    ASSERT_EQ(p.m_nTargetCount, MAX_TARGETS);
    EXPECT_EQ(p.m_apszTargets.back(), "h127");
}

TEST_F(PlayerTest, SecondDriveVolumeScaleAndRecognitionPlayback) {
    Put("Ninshiki.csv", "h\n");
    Settings("[REMOTE]\nALTERNAME_DRIVE=E:\n[SOUND]\nVOLUME=-2000\nNINSHIKI_VOICE=2\n");
    auto& p = Player();
    EXPECT_EQ(p.m_chAltDrive, 'E');
    EXPECT_EQ(p.m_nVolumeMin, -2000);
    EXPECT_EQ(p.m_nVolumeMax, 1000);  // no upper bound given
    EXPECT_FALSE(p.m_bNinshikiVoice); // only 1 counts as on
}

TEST_F(PlayerTest, SettingsFileWithHugeLineStillReads) {
    Put("Ninshiki.csv", "h\n");
    Settings("[REMOTE]\nFLASHAIR=" + std::string(10240, 'x') + "\nREMOTE_MERGIN=250\n");
    auto& p = Player();
    EXPECT_EQ(p.m_nRemoteMergin, 250);
    ASSERT_EQ(p.m_nTargetCount, 1);
    EXPECT_EQ(p.m_apszTargets[0].size(), 2047u); // bounded by its 2048-byte buffer
}
