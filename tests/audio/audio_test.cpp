// The PC audio module (playback/audio/audio.h) over the recording back end:
// the state machine, the volume mapping and the transcript lines.
#include "playback/audio/audio.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog_host.h"
#include "platform/prompts.h"
#include "platform/sleep.h"
#include "playback/audio/audio_backend.h"
#include "playback/audio/recording_backend.h"
#include "support/test_support.h"

namespace {

using Lines = std::vector<std::string>;

class AudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetSleepFunction([this](int ms) { sleeps.push_back(ms); });
        SetAudioFailureReporter([this] {
            ++failures;
            busyInReporter = GetAudioState().busy;
            if (onFailure)
                onFailure();
        });
        GetAudioState() = AudioState{};
        Install({});
        good = dir / "good.wav";
        other = dir / "other.wav";
        testsupport::WriteFile(good, testsupport::MakeWav(22050, 200));
        testsupport::WriteFile(other, testsupport::MakeWav(8000, 80, 3000));
    }

    void TearDown() override {
        onFailure = nullptr;
        CloseAudio();
        SetAudioBackend(nullptr);
        SetAudioFailureReporter({});
        platform::SetSleepFunction({});
        GetAudioState() = AudioState{};
    }

    RecordingAudioBackend* Install(RecordingAudioBackend::Options options) {
        auto b = std::make_unique<RecordingAudioBackend>(
            [this](const std::string& line) { lines.push_back(line); }, options);
        backend = b.get();
        SetAudioBackend(std::move(b));
        return backend;
    }

    // Lines written since the last call.
    Lines Take() {
        Lines out(lines.begin() + static_cast<long>(taken), lines.end());
        taken = lines.size();
        return out;
    }

    std::string Play(const std::string& path) { return "audio play " + path + " -> ok"; }
    std::string PlayFail(const std::string& path) { return "audio play " + path + " -> fail"; }

    testsupport::TempDir dir;
    std::string good;
    std::string other;
    RecordingAudioBackend* backend = nullptr;
    Lines lines;
    std::size_t taken = 0;
    int failures = 0;
    bool busyInReporter = false;
    std::vector<int> sleeps;
    std::function<void()> onFailure;
    // The player's m_bVolumeChanged starts true (core/voice_player.h).
    bool volumeChanged = true;
};

TEST(VolumeLevel, MapsPercentToHundredthsOfADecibel) {
    AudioState s; // -1500 .. 1000
    EXPECT_EQ(VolumeLevel(s, 0), -1500);
    EXPECT_EQ(VolumeLevel(s, 1), -1475);
    EXPECT_EQ(VolumeLevel(s, 40), -500);
    EXPECT_EQ(VolumeLevel(s, 60), 0); // trackbar default 40 -> 100 - 40
    EXPECT_EQ(VolumeLevel(s, 100), 1000);
}

TEST(VolumeLevel, ClampsThePercentage) {
    AudioState s;
    EXPECT_EQ(VolumeLevel(s, -5), -1500);
    EXPECT_EQ(VolumeLevel(s, 101), 1000);
    EXPECT_EQ(VolumeLevel(s, 100000), 1000);
}

TEST(VolumeLevel, TruncatesTowardZero) {
    AudioState s;
    s.levelMax = 1;
    s.levelMin = -2;                   // range 3
    EXPECT_EQ(VolumeLevel(s, 50), -1); // 150 / 100 = 1
    s.levelMax = -2;
    s.levelMin = 1; // range -3: -150 / 100 = -1 (floor would give -2)
    EXPECT_EQ(VolumeLevel(s, 50), 0);
}

TEST_F(AudioTest, OpenAudioResetsTheStateAndOpensTheBackend) {
    AudioState& s = GetAudioState();
    s.segmentLoaded = true;
    s.levelMax = 5;
    s.levelMin = 7;
    s.requestedPercent = 33;
    s.appliedPercent = 33;
    ASSERT_TRUE(OpenAudio(nullptr));
    EXPECT_TRUE(s.opened);
    EXPECT_FALSE(s.segmentLoaded);
    EXPECT_EQ(s.levelMax, 1000);
    EXPECT_EQ(s.levelMin, -1500);
    EXPECT_EQ(s.requestedPercent, 0);
    EXPECT_EQ(s.appliedPercent, -1);
    EXPECT_EQ(Take(), Lines{"audio open -> ok"});
}

TEST_F(AudioTest, FirstClipSetsTheGainOnceFromThePercentage) {
    ASSERT_TRUE(OpenAudio(nullptr));
    Take();
    PlayClip(volumeChanged, good, 60); // trackbar at its default 40
    EXPECT_FALSE(volumeChanged);
    EXPECT_EQ(Take(), (Lines{"audio gain 0", Play(good)}));
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(GetAudioState().segmentLoaded);
    EXPECT_EQ(GetAudioState().appliedPercent, 60);
    EXPECT_FALSE(GetAudioState().busy);
}

TEST_F(AudioTest, SeveralClipsWithoutMovingTheTrackbarSetTheGainOnce) {
    ASSERT_TRUE(OpenAudio(nullptr));
    Take();
    PlayClip(volumeChanged, good, 60);
    // Without the flag the percentage is not looked at.
    PlayClip(volumeChanged, other, 10);
    PlayClip(volumeChanged, good, 90);
    EXPECT_EQ(Take(), (Lines{"audio gain 0", Play(good), "audio stop", Play(other), "audio stop",
                             Play(good)}));
    EXPECT_EQ(failures, 0);
}

TEST_F(AudioTest, MovedTrackbarGivesTheNextClipTheNewLevel) {
    ASSERT_TRUE(OpenAudio(nullptr));
    PlayClip(volumeChanged, good, 60);
    Take();
    volumeChanged = true; // moved to the top
    PlayClip(volumeChanged, good, 100);
    EXPECT_EQ(Take(), (Lines{"audio stop", "audio gain 1000", Play(good)}));
    volumeChanged = true; // moved to the bottom
    PlayClip(volumeChanged, good, 0);
    EXPECT_EQ(Take(), (Lines{"audio stop", "audio gain -1500", Play(good)}));
    volumeChanged = true; // moved, but back to the same percentage
    PlayClip(volumeChanged, good, 0);
    EXPECT_EQ(Take(), (Lines{"audio stop", Play(good)}));
    EXPECT_FALSE(volumeChanged);
    EXPECT_EQ(backend->Gain(), -1500);
}

TEST_F(AudioTest, ClipWhileAnotherSoundsStopsItFirst) {
    ASSERT_TRUE(OpenAudio(nullptr));
    PlayClip(volumeChanged, good, 60);
    ASSERT_TRUE(backend->IsPlaying());
    Take();
    PlayClip(volumeChanged, other, 60);
    EXPECT_EQ(Take(), (Lines{"audio stop", Play(other)}));
    EXPECT_EQ(backend->Current(), other);
    EXPECT_TRUE(backend->IsPlaying());
}

TEST_F(AudioTest, MissingFileReportsAndTheNextPlayWorks) {
    ASSERT_TRUE(OpenAudio(nullptr));
    PlayClip(volumeChanged, good, 60);
    Take();
    const std::string missing = dir / "missing.wav";
    PlayClip(volumeChanged, missing, 60);
    EXPECT_EQ(failures, 1);
    EXPECT_TRUE(busyInReporter);
    EXPECT_FALSE(GetAudioState().busy);
    EXPECT_FALSE(GetAudioState().segmentLoaded); // the clip before was released
    EXPECT_EQ(Take(), (Lines{"audio stop", PlayFail(missing)}));
    EXPECT_NE(backend->LastError().find("missing.wav"), std::string::npos);

    PlayClip(volumeChanged, good, 60);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(Take(), Lines{Play(good)}); // nothing loaded, so nothing to stop
    EXPECT_TRUE(GetAudioState().segmentLoaded);
}

TEST_F(AudioTest, NotAWavFileReports) {
    ASSERT_TRUE(OpenAudio(nullptr));
    const std::string text = dir / "text.wav";
    testsupport::WriteFile(text, "this is not a wave file at all");
    PlayClip(volumeChanged, text, 60);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(Take(), (Lines{"audio open -> ok", "audio gain 0", PlayFail(text)}));
    EXPECT_NE(backend->LastError().find("not a RIFF file"), std::string::npos);
}

TEST_F(AudioTest, FailedOpenMakesEveryPlayReportWithoutTouchingTheBackend) {
    Install({.failOpen = true});
    EXPECT_FALSE(OpenAudio(nullptr));
    EXPECT_FALSE(GetAudioState().opened);
    for (int i = 0; i < 3; ++i) {
        volumeChanged = true;
        PlayClip(volumeChanged, good, 60);
    }
    StopClip();
    EXPECT_EQ(failures, 3);
    EXPECT_EQ(Take(), Lines{"audio open -> fail"});
    CloseAudio(); // releases what the open made
    EXPECT_EQ(Take(), Lines{"audio close"});
}

TEST_F(AudioTest, WithoutABackendOpenFailsAndPlaysReport) {
    SetAudioBackend(nullptr);
    EXPECT_FALSE(OpenAudio(nullptr));
    PlayClip(volumeChanged, good, 60);
    EXPECT_EQ(failures, 1);
    CloseAudio();
    CloseAudio();
    EXPECT_TRUE(lines.empty());
}

TEST_F(AudioTest, PlayBeforeOpenReportsAndTouchesNothing) {
    PlayClip(volumeChanged, good, 60);
    EXPECT_EQ(failures, 1);
    EXPECT_TRUE(lines.empty());
}

TEST_F(AudioTest, NestedRequestFromTheReporterIsDropped) {
    ASSERT_TRUE(OpenAudio(nullptr));
    PlayClip(volumeChanged, good, 60);
    Take();
    const std::string missing = dir / "missing.wav";
    bool nestedFlag = true;
    onFailure = [&] { PlayClip(nestedFlag, other, 100); };
    PlayClip(volumeChanged, missing, 60);
    onFailure = nullptr;
    EXPECT_EQ(failures, 1);  // the dropped request reports nothing
    EXPECT_TRUE(nestedFlag); // and leaves its volume request for later
    EXPECT_FALSE(GetAudioState().busy);
    // Step 1 of the failed request had released the clip already, so the nested
    // request finds nothing sounding and plays nothing.
    EXPECT_EQ(Take(), (Lines{"audio stop", PlayFail(missing)}));

    PlayClip(nestedFlag, other, 100);
    EXPECT_EQ(Take(), (Lines{"audio gain 1000", Play(other)}));
}

TEST_F(AudioTest, RequestWhileBusyStopsTheSoundingClipAndIsDropped) {
    ASSERT_TRUE(OpenAudio(nullptr));
    PlayClip(volumeChanged, good, 60);
    Take();
    GetAudioState().busy = true; // an earlier request is being carried out
    volumeChanged = true;
    PlayClip(volumeChanged, other, 100);
    EXPECT_EQ(Take(), Lines{"audio stop"});
    EXPECT_FALSE(backend->IsPlaying());
    EXPECT_TRUE(volumeChanged);
    EXPECT_TRUE(GetAudioState().busy); // still the earlier request's
    EXPECT_TRUE(GetAudioState().segmentLoaded);
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(sleeps.empty()); // nothing waited

    // Nothing sounds any more: a further nested request stops nothing.
    PlayClip(volumeChanged, other, 100);
    EXPECT_TRUE(Take().empty());
    GetAudioState().busy = false;
}

TEST_F(AudioTest, StopClipStopsOnlyASoundingClipAndKeepsItLoaded) {
    ASSERT_TRUE(OpenAudio(nullptr));
    StopClip(); // nothing loaded
    PlayClip(volumeChanged, good, 60);
    Take();
    StopClip();
    EXPECT_EQ(Take(), Lines{"audio stop"});
    EXPECT_TRUE(GetAudioState().segmentLoaded);
    StopClip(); // no longer sounding
    EXPECT_TRUE(Take().empty());
    PlayClip(volumeChanged, good, 60); // still releases the loaded clip
    EXPECT_EQ(Take(), (Lines{"audio stop", Play(good)}));
}

TEST_F(AudioTest, FailedGainIsNotRetriedForTheSamePercentage) {
    Install({.failGain = true});
    ASSERT_TRUE(OpenAudio(nullptr));
    Take();
    PlayClip(volumeChanged, good, 60);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(Take(), Lines{"audio gain 0"});
    EXPECT_EQ(GetAudioState().appliedPercent, 60);
    EXPECT_FALSE(GetAudioState().segmentLoaded);

    PlayClip(volumeChanged, good, 60);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(Take(), Lines{Play(good)});

    volumeChanged = true;
    PlayClip(volumeChanged, good, 60); // the same percentage again
    EXPECT_EQ(Take(), (Lines{"audio stop", Play(good)}));
    volumeChanged = true;
    PlayClip(volumeChanged, good, 80); // a different one is tried
    EXPECT_EQ(failures, 2);
    EXPECT_EQ(Take(), (Lines{"audio stop", "audio gain 500"}));
}

TEST_F(AudioTest, CloseAudioStopsClosesAndIsValidTwice) {
    ASSERT_TRUE(OpenAudio(nullptr));
    PlayClip(volumeChanged, good, 60);
    Take();
    CloseAudio();
    EXPECT_EQ(Take(), (Lines{"audio stop", "audio close"}));
    AudioState& s = GetAudioState();
    EXPECT_FALSE(s.opened);
    EXPECT_FALSE(s.segmentLoaded);
    EXPECT_EQ(s.appliedPercent, -1);
    CloseAudio();
    EXPECT_TRUE(Take().empty());
    EXPECT_TRUE(sleeps.empty());
    volumeChanged = true;
    PlayClip(volumeChanged, good, 60); // closed: fails, touches nothing
    EXPECT_EQ(failures, 1);
    EXPECT_TRUE(Take().empty());
}

TEST_F(AudioTest, CloseAudioWithoutClipOnlyCloses) {
    ASSERT_TRUE(OpenAudio(nullptr));
    Take();
    CloseAudio();
    EXPECT_EQ(Take(), Lines{"audio close"});
}

TEST_F(AudioTest, CloseAudioBeforeOpenTouchesNothing) {
    CloseAudio();
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(sleeps.empty());
}

TEST_F(AudioTest, CloseAudioWaitsAtMostTenSecondsForABusyRequest) {
    ASSERT_TRUE(OpenAudio(nullptr));
    PlayClip(volumeChanged, good, 60);
    Take();
    // The program is shut down while message 125 of a request is open.
    onFailure = [] { CloseAudio(); };
    PlayClip(volumeChanged, dir / "missing.wav", 60);
    onFailure = nullptr;
    EXPECT_EQ(sleeps, std::vector<int>(100, 100));
    EXPECT_EQ(Take(), (Lines{"audio stop", PlayFail(dir / "missing.wav"), "audio close"}));
    EXPECT_FALSE(GetAudioState().busy);
    EXPECT_FALSE(GetAudioState().opened);
}

TEST_F(AudioTest, CloseAudioStopsWaitingWhenTheRequestEnds) {
    ASSERT_TRUE(OpenAudio(nullptr));
    GetAudioState().busy = true;
    platform::SetSleepFunction([this](int ms) {
        sleeps.push_back(ms);
        if (sleeps.size() == 3)
            GetAudioState().busy = false;
    });
    CloseAudio();
    EXPECT_EQ(sleeps, (std::vector<int>{100, 100, 100}));
}

TEST_F(AudioTest, WavReplacedOnDiskIsReadAnew) {
    ASSERT_TRUE(OpenAudio(nullptr));
    const std::string clip = dir / "clip.wav";
    testsupport::WriteFile(clip, testsupport::MakeWav(22050, 100));
    PlayClip(volumeChanged, clip, 60);
    testsupport::WriteFile(clip, std::string("RIFF\x04\0\0\0AVI ", 12));
    PlayClip(volumeChanged, clip, 60);
    EXPECT_EQ(failures, 1);
    EXPECT_NE(backend->LastError().find("AVI"), std::string::npos) << backend->LastError();
    testsupport::WriteFile(clip, testsupport::MakeWav(8000, 50, 20000));
    PlayClip(volumeChanged, clip, 60);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(Take(), (Lines{"audio open -> ok", "audio gain 0", Play(clip), "audio stop",
                             PlayFail(clip), Play(clip)}));
}

TEST_F(AudioTest, SettingAnotherBackendMakesTheModuleForgetTheOldOne) {
    ASSERT_TRUE(OpenAudio(nullptr));
    PlayClip(volumeChanged, good, 60);
    Install({});
    EXPECT_FALSE(GetAudioState().opened);
    PlayClip(volumeChanged, good, 60);
    EXPECT_EQ(failures, 1);
    CloseAudio();
    // The new back end was never opened: neither played nor closed.
    EXPECT_EQ(Take(), (Lines{"audio open -> ok", "audio gain 0", Play(good)}));
}

// The default reporter, when the program installs none, shows message 125.
class RecordingPrompts final : public platform::Prompts {
public:
    int Message(int id, std::string_view text, const platform::MessageStyle& style) override {
        ids.push_back(id);
        texts.emplace_back(text);
        styles.push_back(style);
        return platform::IDOK;
    }
    std::optional<std::string> FileOpen(const platform::FileDialogSpec&) override {
        return std::nullopt;
    }
    std::optional<std::string> FileSave(const platform::FileDialogSpec&) override {
        return std::nullopt;
    }
    int RunModal(platform::ModalDialogLogic&) override { return platform::IDCANCEL; }
    std::vector<int> ids;
    std::vector<std::string> texts;
    std::vector<platform::MessageStyle> styles;
};

TEST_F(AudioTest, DefaultReporterShowsMessage125) {
    RecordingPrompts prompts;
    platform::SetPrompts(&prompts);
    SetAudioFailureReporter({});
    ASSERT_TRUE(OpenAudio(nullptr));
    PlayClip(volumeChanged, dir / "missing.wav", 60);
    platform::SetPrompts(nullptr);
    ASSERT_EQ(prompts.ids, std::vector<int>{125});
    EXPECT_EQ(prompts.texts[0], "音声の再生に失敗しました");
    EXPECT_EQ(prompts.styles[0].icon, platform::MsgIcon::Error);
    EXPECT_EQ(prompts.styles[0].buttons, platform::MsgButtons::Ok);
    EXPECT_EQ(failures, 0);
}

} // namespace
