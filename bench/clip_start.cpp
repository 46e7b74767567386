// Play until the first buffer is ready: SdlAudioBackend::Play of a 60 s clip
// beside the same for a 1 s clip, alternating. Both are demo clips (22050 Hz
// mono 16-bit), converted for the 44100 Hz stereo device of SDL's dummy driver.
#include <fstream>

#include "bench_row.h"
#include "playback/sdl/sdl_backend.h"
#include "tools/demo/clip_synth.h"

int main() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const auto dir = bench::EnterTempFolder();
    const std::string shortClip = dir / "1s.wav", longClip = dir / "60s.wav";
    for (const auto& [path, seconds] : {std::pair{shortClip, 1}, std::pair{longClip, 60}})
        if (!(std::ofstream(path, std::ios::binary)
              << demo::WavBytes(demo::ToneSequence(seconds, 1))))
            bench::Fail("cannot write " + path);
    SdlAudioBackend backend;
    if (!backend.Open(nullptr))
        bench::Fail(backend.LastError());
    const auto [sixty, one] = bench::Alternate(15, [&](bool floor) -> std::vector<double> {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = backend.Play(floor ? shortClip : longClip);
        const double ms = bench::MsSince(start);
        backend.StopAll();
        if (!ok)
            bench::Fail(backend.LastError());
        return {ms};
    });
    backend.Close();
    bench::PrintRow("Play until the first buffer is ready, 60 s clip", sixty[0], one[0], "ms",
                    " (1 s clip)", "22050 Hz mono 16-bit to the 44100 Hz stereo device");
    return 0;
}
