// Play until the first buffer is ready: SdlAudioBackend::Play of a 60 s clip
// beside the same for a 1 s clip, alternating. Both are 22050 Hz mono 16-bit
// (the demo clips' form), converted for the 44100 Hz stereo device of SDL's
// dummy driver.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/bench_row.h"
#include "playback/sdl/sdl_backend.h"

namespace {

constexpr int kRate = 22050;

void Put(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(v >> (8 * i) & 0xFF);
}

void WriteTone(const std::string& path, int seconds) {
    const std::uint32_t data = static_cast<std::uint32_t>(seconds) * kRate * 2;
    std::string out = "RIFF";
    Put(out, 36 + data, 4);
    out += "WAVEfmt ";
    for (auto [v, n] : {std::pair{16u, 4},
                        {1u, 2},
                        {1u, 2},
                        {std::uint32_t{kRate}, 4},
                        {std::uint32_t{kRate * 2}, 4},
                        {2u, 2},
                        {16u, 2}})
        Put(out, v, n);
    out += "data";
    Put(out, data, 4);
    for (int i = 0; i < seconds * kRate; ++i)
        Put(out, static_cast<std::uint16_t>(std::lround(8000 * std::sin(i * 0.1254))), 2);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0)
        std::exit(1);
}

} // namespace

int main() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const auto dir = std::filesystem::temp_directory_path() / "voxlet-bench-clip";
    std::filesystem::create_directories(dir);
    const std::string shortClip = dir / "1s.wav";
    const std::string longClip = dir / "60s.wav";
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
        const double seconds = bench::Seconds(std::chrono::steady_clock::now() - start);
        backend.StopAll();
        if (!ok)
            std::exit(1);
        return seconds;
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
    bench::PrintRow("Play until the first buffer is ready, 60 s clip",
                    bench::MinMedian(sixty, 1e3, "ms"),
                    bench::MinMedian(one, 1e3, "ms") + " (1 s clip)", bench::Ratio(sixty, one),
                    "15 rounds; 22050 Hz mono 16-bit to the 44100 Hz stereo device");
    return 0;
}
