// The worst device callback while a 60 s clip plays: a clip at 44,099 Hz (the
// resampler's phase repeats only every second) beside one at 48,000 Hz, both
// to the back end's default device (44,100 Hz S16 stereo, 1024 frames),
// alternating. A callback's only work that depends on the clip is asking its
// ClipStream for the next piece when one has been handed out; each piece is
// handed out at four times the device's pace, so the conversion ahead has
// less time than on a real device.
#include <fstream>
#include <thread>

#include "bench_row.h"
#include "playback/sdl/clip_stream.h"
#include "tools/demo/clip_synth.h"

namespace {

// The longest call for the next piece (ms) while the clip plays.
double WorstCallback(const sdlapi::Library& sdl, const SDL_AudioSpec& device,
                     const std::string& path) {
    ClipStream stream(sdl, std::make_unique<WavFile>(path), device, 0);
    std::string error;
    std::vector<std::uint8_t> piece;
    if (!stream.Start(error) || !stream.Next(piece, error))
        bench::Fail(path + ": " + error);
    const std::int64_t bytesPerSecond = 4 * device.freq * 4; // S16 stereo at 4x the pace
    double worst = 0;
    for (auto due = std::chrono::steady_clock::now(); !piece.empty();) {
        std::this_thread::sleep_until(due += std::chrono::microseconds(std::int64_t(piece.size()) *
                                                                       1'000'000 / bytesPerSecond));
        const auto start = std::chrono::steady_clock::now();
        stream.Next(piece, error);
        worst = std::max(worst, bench::MsSince(start));
    }
    return worst;
}

} // namespace

int main() {
    const auto dir = bench::EnterTempFolder();
    std::string error;
    const sdlapi::Library* sdl = sdlapi::Load(error);
    if (!sdl)
        bench::Fail(error);
    // The back end's default device.
    const SDL_AudioSpec device{44100, AUDIO_S16SYS, 2, 0, 1024, 0, 0, nullptr, nullptr};
    const std::string odd = dir / "44099.wav", even = dir / "48000.wav";
    for (const auto& [path, rate] : {std::pair{odd, 44099}, std::pair{even, 48000}}) {
        demo::Pcm pcm = demo::ToneSequence(131, 1); // 22050 Hz: enough for 60 s at 48000
        pcm.rate = rate;
        pcm.samples.resize(60 * static_cast<std::size_t>(rate));
        if (!(std::ofstream(path, std::ios::binary) << demo::WavBytes(pcm)))
            bench::Fail("cannot write " + path);
    }
    const auto [measured, floor] = bench::Alternate(2, [&](bool isFloor) -> std::vector<double> {
        return {WorstCallback(*sdl, device, isFloor ? even : odd)};
    });
    bench::PrintRow("Worst device callback, 60 s clip at 44,099 Hz", measured[0], floor[0], "ms",
                    " (48,000 Hz clip)",
                    "1024-frame buffers at 44,100 Hz, called at 4x the device's pace");
    return 0;
}
