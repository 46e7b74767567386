// The waveOut back end under the audio seam: it takes every file the WAV
// check accepts (through its own conversion or the system's decoders), each
// clip plays once to its end, and refused files and gains fail with a reason.
// The device is an ALSA file sink (HOME/.asoundrc), which is not clocked: no
// wait here depends on a clip's length.
#include "playback/winmm/waveout_backend.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

using testsupport::RiffWave, testsupport::WavData, testsupport::WavFmt;

TEST(WaveOutBackend, PlaysEveryAcceptedFormatOnceAndRefusesTheRest) {
    const std::string samples(4096, '\x10');
    std::string extensible; // the accepted WAVE_FORMAT_EXTENSIBLE file of the vectors
    for (const auto& v : testsupport::Vectors("wav.txt"))
        if (v[0] == "accept" && v[1].substr(20, 2) == "\xFE\xFF")
            extensible = v[1];
    const struct {
        const char* what;
        std::string bytes;
        bool plays;
    } cases[] = {
        {"PCM 8", RiffWave(WavFmt(1, 1, 8000, 1, 8) + WavData(samples)), true},
        {"PCM 16", testsupport::MakeWav(22050, 2048), true},
        {"PCM 24", RiffWave(WavFmt(1, 2, 44100, 6, 24) + WavData(samples.substr(0, 4092))), true},
        {"float", RiffWave(WavFmt(3, 1, 48000, 4, 32) + WavData(samples)), true},
        {"4 channels", RiffWave(WavFmt(1, 4, 22050, 8, 16) + WavData(samples)), true},
        {"extensible", extensible, true},
        {"mu-law", RiffWave(WavFmt(7, 1, 8000, 1, 8) + WavData(samples)), true},
        {"A-law", RiffWave(WavFmt(6, 1, 8000, 1, 8) + WavData(samples)), true},
        {"no samples", RiffWave(WavFmt(1, 1, 8000, 2, 16) + WavData("")), true},
        {"unsupported format", RiffWave(WavFmt(0x55, 1, 22050, 2, 16) + WavData(samples)), false},
        {"not a RIFF file", "RIFX" + samples, false},
    };
    testsupport::TempDir dir;
    WaveOutBackend backend;
    ASSERT_TRUE(backend.Open(nullptr)) << backend.LastError();
    ASSERT_TRUE(backend.SetMasterGain(1000)); // above unity: clipped in software
    const std::string path = dir / "clip.wav";
    for (const auto& c : cases) {
        testsupport::WriteFile(path, c.bytes);
        ASSERT_EQ(backend.Play(path), c.plays) << c.what << ": " << backend.LastError();
        if (!c.plays) {
            EXPECT_NE(backend.LastError().find("clip.wav"), std::string::npos) << c.what;
            continue;
        }
        for (int waited = 0; backend.IsPlaying() && waited < 10000; waited += 10)
            Sleep(10);
        EXPECT_FALSE(backend.IsPlaying()) << c.what << " did not end";
    }
    EXPECT_FALSE(backend.SetMasterGain(2001));
    testsupport::WriteFile(path, testsupport::MakeWav(8000, 80000));
    ASSERT_TRUE(backend.Play(path));
    backend.StopAll();
    EXPECT_FALSE(backend.IsPlaying());
    backend.Close();
    EXPECT_FALSE(backend.Play(path));
}

} // namespace
