// The PC audio module (playback/audio/audio.h) over the recording back end:
// the state machine, the volume mapping and the transcript lines.
#include "playback/audio/audio.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "playback/audio/audio_backend.h"
#include "playback/audio/recording_backend.h"
#include "support/test_support.h"
#include "tools/headless/headless_prompts.h"

namespace {

using Lines = std::vector<std::string>;

class AudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        audio.SetFailureReporter([this] {
            ++failures;
            busyInReporter = audio.State().busy;
            if (onFailure)
                onFailure();
        });
        Install({});
        testsupport::WriteFile(good, testsupport::MakeWav(22050, 200));
        testsupport::WriteFile(other, testsupport::MakeWav(8000, 80, 3000));
    }

    void TearDown() override { onFailure = nullptr; }

    void Install(RecordingAudioBackend::Options options) {
        auto b = std::make_unique<RecordingAudioBackend>(
            [this](const std::string& line) { lines.push_back(line); }, options);
        backend = b.get();
        audio.SetBackend(std::move(b));
    }

    // Opens the module and plays the good clip at 60 percent, then forgets the lines.
    void OpenAndPlay() {
        ASSERT_TRUE(audio.Open(nullptr));
        audio.Play(volumeChanged, good, 60);
        Take();
    }

    // Lines written since the last call.
    Lines Take() {
        Lines out(lines.begin() + static_cast<long>(taken), lines.end());
        taken = lines.size();
        return out;
    }

    std::string Play(const std::string& path) { return "audio play " + path + " -> ok"; }
    std::string PlayFail(const std::string& path) { return "audio play " + path + " -> fail"; }

    PcAudio audio;
    testsupport::TempDir dir;
    const std::string good = dir / "good.wav";
    const std::string other = dir / "other.wav";
    const std::string missing = dir / "missing.wav";
    RecordingAudioBackend* backend = nullptr;
    Lines lines;
    std::size_t taken = 0;
    int failures = 0;
    bool busyInReporter = false;
    std::function<void()> onFailure;
    // The player's m_bVolumeChanged starts true (core/voice_player.h).
    bool volumeChanged = true;
};

// The level vectors of tests/fixtures/vectors/volume.txt.
TEST(VolumeLevel, MapsClampsAndTruncatesTowardZero) {
    for (const auto& v : testsupport::Vectors("volume.txt")) {
        if (v[0] != "level")
            continue;
        AudioState s;
        s.levelMax = std::stoi(v[1]);
        s.levelMin = std::stoi(v[2]);
        EXPECT_EQ(VolumeLevel(s, std::stoi(v[3])), std::stoi(v[4]))
            << v[1] << " " << v[2] << " " << v[3];
    }
}

TEST_F(AudioTest, GainIsSetOnceUntilTheTrackbarMoves) {
    OpenAndPlay(); // trackbar at its default 40
    EXPECT_FALSE(volumeChanged);
    EXPECT_EQ(lines, (Lines{"audio open -> ok", "audio gain 0", Play(good)}));
    // Without the flag the percentage is not looked at; a clip stops the one before.
    audio.Play(volumeChanged, other, 10);
    audio.Play(volumeChanged, good, 90);
    EXPECT_EQ(Take(), (Lines{"audio stop", Play(other), "audio stop", Play(good)}));
    EXPECT_EQ(failures, 0);
    // Moved, but back to the same percentage: no gain is set.
    volumeChanged = true;
    audio.Play(volumeChanged, good, 60);
    EXPECT_FALSE(volumeChanged);
    volumeChanged = true;
    audio.Play(volumeChanged, good, 100);
    EXPECT_EQ(Take(),
              (Lines{"audio stop", Play(good), "audio stop", "audio gain 1000", Play(good)}));
}

TEST_F(AudioTest, FailedPlaysReportAndTheNextPlayWorks) {
    OpenAndPlay();
    audio.Play(volumeChanged, missing, 60);
    EXPECT_EQ(failures, 1);
    EXPECT_TRUE(busyInReporter);
    EXPECT_EQ(Take(), (Lines{"audio stop", PlayFail(missing)}));
    EXPECT_NE(backend->LastError().find("missing.wav"), std::string::npos);
    // The file is read anew each time and checked before it is played.
    const std::string clip = dir / "clip.wav";
    testsupport::WriteFile(clip, "this is not a wave file at all");
    audio.Play(volumeChanged, clip, 60);
    EXPECT_NE(backend->LastError().find("not a RIFF file"), std::string::npos);
    testsupport::WriteFile(clip, testsupport::MakeWav(22050, 100));
    audio.Play(volumeChanged, clip, 60);
    EXPECT_EQ(failures, 2);
    // Nothing loaded after a failure (the clip before was released), so
    // nothing to stop.
    EXPECT_EQ(Take(), (Lines{PlayFail(clip), Play(clip)}));
}

TEST_F(AudioTest, WithoutAnOpenBackendEveryPlayReportsAndTouchesNothing) {
    audio.Play(volumeChanged, good, 60); // before OpenAudio
    EXPECT_EQ(failures, 1);
    EXPECT_TRUE(lines.empty());

    Install({.failOpen = true});
    EXPECT_FALSE(audio.Open(nullptr));
    for (int i = 0; i < 3; ++i) {
        volumeChanged = true;
        audio.Play(volumeChanged, good, 60);
    }
    audio.StopClip();
    EXPECT_EQ(failures, 4);
    EXPECT_EQ(Take(), Lines{"audio open -> fail"});
    audio.Close(); // releases what the open made
    EXPECT_EQ(Take(), Lines{"audio close"});

    audio.SetBackend(nullptr);
    EXPECT_FALSE(audio.Open(nullptr));
    audio.Play(volumeChanged, good, 60);
    EXPECT_EQ(failures, 5);
    audio.Close();
    audio.Close();
    EXPECT_TRUE(Take().empty());
}

TEST_F(AudioTest, NestedRequestFromTheReporterIsDroppedAndCloseDoesNotWait) {
    OpenAndPlay();
    bool nestedFlag = true;
    onFailure = [&] { audio.Play(nestedFlag, other, 100); };
    audio.Play(volumeChanged, missing, 60);
    EXPECT_EQ(failures, 1);  // the dropped request reports nothing
    EXPECT_TRUE(nestedFlag); // and leaves its volume request for later
    // Step 1 of the failed request had released the clip already, so the nested
    // request finds nothing sounding and plays nothing.
    EXPECT_EQ(Take(), (Lines{"audio stop", PlayFail(missing)}));

    audio.Play(nestedFlag, other, 100);
    EXPECT_EQ(Take(), (Lines{"audio gain 1000", Play(other)}));

    // The program is shut down while message 125 of a request is open.
    onFailure = [this] { audio.Close(); };
    audio.Play(volumeChanged, missing, 60);
    EXPECT_EQ(Take(), (Lines{"audio stop", PlayFail(missing), "audio close"}));
    EXPECT_FALSE(audio.State().busy);
    EXPECT_FALSE(audio.State().opened);
}

TEST_F(AudioTest, RequestWhileBusyStopsTheSoundingClipAndIsDropped) {
    OpenAndPlay();
    audio.State().busy = true; // an earlier request is being carried out
    volumeChanged = true;
    audio.Play(volumeChanged, other, 100);
    EXPECT_EQ(Take(), Lines{"audio stop"});
    EXPECT_TRUE(volumeChanged);
    EXPECT_TRUE(audio.State().busy); // still the earlier request's
    EXPECT_TRUE(audio.State().segmentLoaded);
    EXPECT_EQ(failures, 0);

    // Nothing sounds any more: a further nested request stops nothing.
    audio.Play(volumeChanged, other, 100);
    EXPECT_TRUE(Take().empty());
    audio.State().busy = false;
}

TEST_F(AudioTest, FailedGainIsNotRetriedForTheSamePercentage) {
    Install({.failGain = true});
    ASSERT_TRUE(audio.Open(nullptr));
    Take();
    audio.Play(volumeChanged, good, 60);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(Take(), Lines{"audio gain 0"});

    audio.Play(volumeChanged, good, 60); // nothing loaded to stop
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(Take(), Lines{Play(good)});

    volumeChanged = true;
    audio.Play(volumeChanged, good, 60); // the same percentage again
    EXPECT_EQ(Take(), (Lines{"audio stop", Play(good)}));
    volumeChanged = true;
    audio.Play(volumeChanged, good, 80); // a different one is tried
    EXPECT_EQ(failures, 2);
    EXPECT_EQ(Take(), (Lines{"audio stop", "audio gain 500"}));
}

TEST_F(AudioTest, StopStopsOnlyASoundingClipAndCloseReleasesEverything) {
    audio.Close(); // before OpenAudio: touches nothing
    ASSERT_TRUE(audio.Open(nullptr));
    audio.StopClip(); // nothing loaded
    audio.Close();    // no clip: nothing to stop
    ASSERT_TRUE(audio.Open(nullptr));
    audio.Play(volumeChanged, good, 60);
    audio.StopClip();
    audio.StopClip(); // no longer sounding, still loaded
    audio.Play(volumeChanged, good, 60);
    EXPECT_EQ(Take(), (Lines{"audio open -> ok", "audio close", "audio open -> ok", "audio gain 0",
                             Play(good), "audio stop", "audio stop", Play(good)}));
    audio.Close();
    audio.Close();
    volumeChanged = true;
    audio.Play(volumeChanged, good, 60); // closed: fails, touches nothing
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(Take(), (Lines{"audio stop", "audio close"}));
    // Reopened: no clip left to stop, and the gain is set anew.
    ASSERT_TRUE(audio.Open(nullptr));
    volumeChanged = true;
    audio.Play(volumeChanged, good, 60);
    EXPECT_EQ(Take(), (Lines{"audio open -> ok", "audio gain 0", Play(good)}));
}

} // namespace
