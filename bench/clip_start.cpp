// Play until the first buffer is ready: SdlAudioBackend::Play of a 60 s clip
// beside the same for a 1 s clip, alternating. Both are 22050 Hz mono 16-bit
// (the demo clips' form), converted for the 44100 Hz stereo device of SDL's
// dummy driver.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_row.h"
#include "playback/sdl/sdl_backend.h"

namespace {

constexpr std::uint32_t kRate = 22050;

// value as little-endian bytes
std::string Le(std::uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(v >> (8 * i) & 0xFF);
    return out;
}

void WriteTone(const std::string& path, std::uint32_t seconds) {
    std::string out = "RIFF" + Le(36 + seconds * kRate * 2, 4) + "WAVEfmt " + Le(16, 4) + Le(1, 2) +
                      Le(1, 2) + Le(kRate, 4) + Le(kRate * 2, 4) + Le(2, 2) + Le(16, 2) + "data" +
                      Le(seconds * kRate * 2, 4);
    for (std::uint32_t i = 0; i < seconds * kRate; ++i)
        out += Le(static_cast<std::uint16_t>(std::lround(8000 * std::sin(i * 0.1254))), 2);
    if (!(std::ofstream(path, std::ios::binary) << out))
        std::exit(1);
}

} // namespace

int main() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const auto dir = std::filesystem::temp_directory_path() / "voxlet-bench-clip";
    std::filesystem::create_directories(dir);
    const std::string shortClip = dir / "1s.wav", longClip = dir / "60s.wav";
    WriteTone(shortClip, 1);
    WriteTone(longClip, 60);

    SdlAudioBackend backend;
    if (!backend.Open(nullptr)) {
        std::fprintf(stderr, "clip_start: %s\n", backend.LastError().c_str());
        return 1;
    }
    auto timePlay = [&](const std::string& clip) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = backend.Play(clip);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        backend.StopAll();
        if (!ok)
            std::exit(1);
        return took.count();
    };
    timePlay(shortClip); // warm-up: both files in the page cache
    timePlay(longClip);
    bench::Series one, sixty;
    for (int round = 0; round < 15; ++round) {
        one.Add(timePlay(shortClip));
        sixty.Add(timePlay(longClip));
    }
    backend.Close();
    std::filesystem::remove_all(dir);
    bench::PrintRow("Play until the first buffer is ready, 60 s clip", sixty, one, 1e3, "ms",
                    " (1 s clip)", "15 rounds; 22050 Hz mono 16-bit to the 44100 Hz stereo device");
    return 0;
}
