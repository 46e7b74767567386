// The SDL2 back end (playback/sdl/sdl_backend.h) on SDL's disk driver: ctest
// sets SDL_AUDIODRIVER=disk and SDL_DISKAUDIODELAY=0; each test points
// SDL_DISKAUDIOFILE at a file in its own temporary folder before the device is
// opened and reads back the raw samples the device was given.
#include "playback/sdl/sdl_backend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "playback/audio/audio.h"
#include "playback/audio/audio_backend.h"
#include "playback/audio/recording_backend.h"
#include "playback/audio/wav_header.h"
#include "playback/sdl/clip_stream.h"
#include "support/test_support.h"

namespace {

// Runs sox (which makes the test WAV files) with the arguments.
bool Sox(const std::string& args) {
    return std::system(("sox " + args + " >/dev/null 2>&1").c_str()) == 0;
}

// The 16-bit samples of a raw device capture, or of a 16-bit WAV file's data.
std::vector<std::int16_t> S16(const std::string& path, bool wav = false) {
    std::string bytes = testsupport::ReadFile(path);
    if (wav)
        bytes = bytes.substr(CheckWav(bytes).info.dataOffset);
    std::vector<std::int16_t> out(bytes.size() / 2);
    if (!out.empty()) // an empty capture is a failure to report, not a null copy
        std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
}

double Peak(const std::vector<std::int16_t>& s) {
    double peak = 0;
    for (std::int16_t v : s)
        peak = std::max(peak, std::fabs(static_cast<double>(v)));
    return peak;
}

class SdlBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v sox >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "sox is not installed (the project's scripts install it with apt); "
                            "it makes the test WAV files";
        // ctest sets SDL_AUDIODRIVER=disk and SDL_DISKAUDIODELAY=0; when the test
        // program runs on its own, the same is set here (never overriding).
        setenv("SDL_AUDIODRIVER", "disk", 0);
        setenv("SDL_DISKAUDIODELAY", "0", 1);
        const char* driver = std::getenv("SDL_AUDIODRIVER");
        if (std::string(driver) != "disk")
            GTEST_SKIP() << "SDL_AUDIODRIVER is \"" << driver
                         << "\"; these tests read the output of SDL's disk driver";
        tone = dir / "tone.wav";
        ASSERT_TRUE(Sox("-n -r 44100 -c 1 -b 16 " + tone + " synth 1 sine 440 vol 0.1"));
    }

    // Plays the clip through the audio module at a percentage; returns the
    // raw S16 stereo device output.
    std::vector<std::int16_t> CaptureThroughModule(const std::string& clip, int percent,
                                                   const std::string& name) {
        const std::string out = dir / name;
        setenv("SDL_DISKAUDIOFILE", std::string(out).c_str(), 1);
        auto backend = std::make_unique<SdlAudioBackend>();
        const SdlAudioBackend& sdl = *backend;
        PcAudio audio(std::move(backend));
        int failures = 0;
        audio.SetFailureReporter([&] { ++failures; });
        EXPECT_TRUE(audio.Open(nullptr)) << sdl.LastError();
        EXPECT_TRUE(audio.Play(clip, percent));
        EXPECT_EQ(failures, 0) << sdl.LastError();
        // The device thread hands out the clip on its own.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (sdl.IsPlaying() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_FALSE(sdl.IsPlaying());
        audio.Close(); // closing the device flushes the file
        return S16(out);
    }

    testsupport::TempDir dir;
    std::string tone;
};

TEST_F(SdlBackendTest, GainScalesThePeakAndLevelZeroIsBitExact) {
    const auto quiet = CaptureThroughModule(tone, 0, "quiet.raw");  // -1500
    const auto unity = CaptureThroughModule(tone, 60, "unity.raw"); // 0
    const auto loud = CaptureThroughModule(tone, 100, "loud.raw");  // +1000

    const double p0 = Peak(unity);
    ASSERT_GT(p0, 3000); // vol 0.1 of full scale
    EXPECT_NEAR(Peak(quiet) / p0, std::pow(10.0, -0.75), std::pow(10.0, -0.75) * 0.01);
    EXPECT_NEAR(Peak(loud) / p0, std::pow(10.0, 0.5), std::pow(10.0, 0.5) * 0.01);

    // Level 0: the device got the clip's samples unchanged, once per channel,
    // and the whole clip (44100 frames), with silence before and after.
    std::vector<std::int16_t> clip;
    for (std::int16_t v : S16(tone, true))
        clip.insert(clip.end(), {v, v});
    ASSERT_EQ(clip.size(), 88200u);
    const auto at = std::search(unity.begin(), unity.end(), clip.begin(), clip.end());
    ASSERT_NE(at, unity.end()) << "the clip's samples, once per channel, are not in the output";
    EXPECT_EQ((at - unity.begin()) % 2, 0) << "the clip does not start on the left channel";
    auto silent = [](std::int16_t v) { return v == 0; };
    EXPECT_TRUE(std::all_of(unity.begin(), at, silent)) << "sound before the clip";
    EXPECT_TRUE(std::all_of(at + clip.size(), unity.end(), silent)) << "sound after the clip";
}

// The verdict vectors of tests/fixtures/vectors/wav.txt and ADPCM files sox makes.
TEST_F(SdlBackendTest, RecordingAndSdlBackEndsGiveEveryFileTheSameVerdict) {
    auto made = [&](const std::string& name, const std::string& args) {
        EXPECT_TRUE(Sox("-n " + args + " " + dir / name + " synth 0.2 sine 440")) << name;
        return testsupport::ReadFile(dir / name);
    };
    std::string ms = made("ms.wav", "-r 8000 -c 1 -e ms-adpcm");
    std::vector<std::vector<std::string>> cases = {
        {"verdict", ms, "1", "0"},
        {"verdict", ms, "0", "0"},
        {"verdict", made("ima.wav", "-r 11025 -c 2 -e ima-adpcm"), "1", "0"}};
    cases[1][1][CheckWav(ms).info.dataOffset] = '\x07'; // an unknown coefficient pair
    for (auto& v : testsupport::Vectors("wav.txt"))
        if (v[0] == "verdict")
            cases.push_back(std::move(v));
    setenv("SDL_DISKAUDIOFILE", std::string(dir / "verdicts.raw").c_str(), 1);
    SdlAudioBackend sdl;
    ASSERT_TRUE(sdl.Open(nullptr)) << sdl.LastError();
    RecordingAudioBackend recording(nullptr);
    const std::string path = dir / "odd.wav";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i << " (the ADPCM files, then the vectors)");
        testsupport::WriteFile(path, cases[i][1]);
        EXPECT_EQ(recording.Play(path), cases[i][2] == "1") << recording.LastError();
        EXPECT_EQ(sdl.Play(path), cases[i][2] == "1") << sdl.LastError();
        EXPECT_FALSE(cases[i][3] == "1" && sdl.IsPlaying()) << "a silent file sounds";
    }
    sdl.Close();
}

// The samples after SdlAudioBackend::ApplyGain in the format.
template <class T> std::vector<T> Gained(std::vector<T> s, SDL_AudioFormat format, int gain) {
    std::vector<std::uint8_t> bytes(s.size() * sizeof(T));
    std::memcpy(bytes.data(), s.data(), bytes.size());
    EXPECT_TRUE(SdlAudioBackend::ApplyGain(bytes, format, gain)) << format;
    std::memcpy(s.data(), bytes.data(), bytes.size());
    return s;
}

TEST(SdlGain, ScalesAndClampsEachSampleFormat) {
    EXPECT_EQ(Gained<std::int16_t>({1000, -1000, 20000, -20000, 0, 32767}, AUDIO_S16SYS, 1000),
              (std::vector<std::int16_t>{3162, -3162, 32767, -32768, 0, 32767}));
    const auto f = Gained<float>({0.5f, -0.5f}, AUDIO_F32SYS, -2000); // -20 dB
    EXPECT_FLOAT_EQ(f[0], 0.05f);
    EXPECT_FLOAT_EQ(f[1], -0.05f);
    EXPECT_EQ(Gained<std::uint8_t>({128, 138, 118, 250}, AUDIO_U8, 1000),
              (std::vector<std::uint8_t>{128, 160, 96, 255}));
    std::vector<std::uint8_t> unknown = {1, 2};
    EXPECT_FALSE(SdlAudioBackend::ApplyGain(unknown, AUDIO_U16MSB, 100));
}

} // namespace

// A clip at 1 Hz plays without being converted whole (tens of gigabytes for
// 100000 samples); the errors name their cause.
TEST_F(SdlBackendTest, OneHertzClipPlaysAndErrorsAreSpecific) {
    const std::string slow = dir / "slow.wav";
    testsupport::WriteFile(
        slow, testsupport::RiffWave(testsupport::WavFmt(1, 1, 1, 2, 16) +
                                    testsupport::WavData(std::string(200000, '\x40'))));
    const std::string out = dir / "slow.raw";
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    SdlAudioBackend backend;
    EXPECT_FALSE(backend.Play(tone)); // not open
    EXPECT_NE(backend.LastError().find("not open"), std::string::npos);
    ASSERT_TRUE(backend.Open(nullptr));
    ASSERT_TRUE(backend.Play(slow)) << backend.LastError();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(backend.IsPlaying());
    backend.StopAll();
    testsupport::WriteFile(dir / "text.wav", "plain text, not a RIFF file");
    EXPECT_FALSE(backend.Play(dir / "missing.wav"));
    EXPECT_NE(backend.LastError().find("missing.wav"), std::string::npos) << backend.LastError();
    EXPECT_FALSE(backend.Play(dir / "text.wav"));
    EXPECT_NE(backend.LastError().find("not a RIFF file"), std::string::npos);
    EXPECT_FALSE(backend.SetMasterGain(2001));
    EXPECT_TRUE(backend.SetMasterGain(-1500));
    EXPECT_FALSE(backend.IsPlaying());
    // tone.wav, found without regard to case.
    EXPECT_TRUE(backend.Play(dir / "TONE.WAV")) << backend.LastError();
    backend.StopAll();
    backend.Close();
    backend.Close(); // valid twice
    EXPECT_FALSE(backend.IsPlaying());
    EXPECT_GT(Peak(S16(out)), 16000);
}

// At 44,099 and 48,001 Hz the resampler's phase repeats only every second of
// the clip and its last piece starts up to 16 s before the end. The pieces
// still join up to exactly the whole clip converted at once (PCM, and
// MS-ADPCM that SDL decodes), and no device callback (a Next after the
// first, which Play makes) converts more than four buffers' worth of input.
TEST_F(SdlBackendTest, OddRateClipJoinsUpWithoutConvertingSecondsInACallback) {
    std::string error;
    const sdlapi::Library* sdl = sdlapi::Load(error);
    ASSERT_TRUE(sdl) << error;
    setenv("SDL_WAVE_FACT_CHUNK", "ignore", 1); // as the back end sets it
    SDL_AudioSpec device{44100, AUDIO_S16SYS, 2, 0, 1024, 0, 0, nullptr, nullptr};
    const auto me = std::this_thread::get_id();
    for (const std::string args : {"-r 44099 -b 16", "-r 48001 -e ms-adpcm"}) {
        SCOPED_TRACE(args);
        const std::string path = dir / "odd.wav";
        ASSERT_TRUE(Sox("-n -c 1 " + args + " " + path + " synth 20 sine 300-3000 vol 0.5"));
        const std::string file = testsupport::ReadFile(path);
        SDL_AudioSpec spec{};
        Uint8* samples = nullptr;
        Uint32 length = 0;
        ASSERT_TRUE(sdl->LoadWAV_RW(sdl->RWFromConstMem(file.data(), static_cast<int>(file.size())),
                                    1, &spec, &samples, &length));
        SDL_AudioCVT cvt{};
        sdl->BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, device.format, 2, 44100);
        std::vector<std::uint8_t> whole(length * static_cast<std::size_t>(cvt.len_mult));
        std::copy(samples, samples + length, whole.begin());
        sdl->FreeWAV(samples);
        cvt.buf = whole.data();
        cvt.len = static_cast<int>(length);
        ASSERT_EQ(sdl->ConvertAudio(&cvt), 0);
        whole.resize(static_cast<std::size_t>(cvt.len_cvt));

        ClipStream stream(*sdl, std::make_unique<WavFile>(path), device, 0);
        std::size_t converted = 0, worst = 0; // source frames on this thread
        stream.onConvert = [&](std::size_t frames) {
            if (std::this_thread::get_id() == me)
                converted += frames;
        };
        std::vector<std::uint8_t> joined, piece;
        ASSERT_TRUE(stream.Start(error)) << error;
        for (bool first = true; stream.Next(piece, error); first = false, converted = 0) {
            worst = first ? 0 : std::max(worst, converted);
            joined.insert(joined.end(), piece.begin(), piece.end());
        }
        EXPECT_EQ(error, "");
        EXPECT_LE(worst, 4u * 1024);
        ASSERT_EQ(joined.size(), whole.size());
        EXPECT_TRUE(joined == whole)
            << "they differ from byte "
            << std::mismatch(joined.begin(), joined.end(), whole.begin()).first - joined.begin();
    }
}

// A clip whose data follows a 1 GiB chunk (a sparse file) plays, bit for bit,
// in a child process that has 512 MiB of memory: of address space, or under
// AddressSanitizer (whose shadow takes terabytes of it) for each allocation.
TEST_F(SdlBackendTest, ClipAfterAHugeChunkPlaysInLittleMemory) {
    const std::string clip = dir / "junk.wav";
    const std::string head =
        testsupport::RiffWave(testsupport::WavFmt(1, 1, 44100, 2, 16)) + "JUNK";
    testsupport::WriteFile(clip, head + testsupport::Le(1u << 30, 4));
    ASSERT_EQ(truncate(clip.c_str(), static_cast<off_t>(head.size() + 4 + (1u << 30))), 0);
    std::ofstream(clip, std::ios::app) << testsupport::WavData(std::string(1600, '\x40'));
    const std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    setenv("ASAN_OPTIONS", (asan + ":max_allocation_size_mb=512").c_str(), 1);
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a new process, which reads ASAN_OPTIONS
    const auto play = [&] {
#ifndef __SANITIZE_ADDRESS__
        const rlimit limit{512u << 20, 512u << 20};
        setrlimit(RLIMIT_AS, &limit);
#endif
        const double peak = Peak(CaptureThroughModule(clip, 60, "junk.raw"));
        std::exit(HasFailure() || peak != 0x4040 ? 1 : 0);
    };
    EXPECT_EXIT(play(), testing::ExitedWithCode(0), "");
    setenv("ASAN_OPTIONS", asan.c_str(), 1);
}
