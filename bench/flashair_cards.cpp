// Benchmark row: one play command to 8 FlashAir cards that each answer after
// 20 ms, beside the same command to one of them (the floor), in alternating
// rounds; voxlet-card emulators on loopback, the player's SendFlashAirCommand
// over the system's transport.
#include <fstream>
#include <thread>

#include "bench_row.h"
#include "core/voice_player.h"
#include "platform/system_http.h"
#include "tools/headless/headless_prompts.h"

constexpr int kCards = 8;

int main() {
    const auto dir = bench::EnterTempFolder();
    std::string hosts;
    for (int i = 0; i < kCards; ++i) {
        const std::string root = "card" + std::to_string(i), out = root + ".out";
        std::filesystem::create_directories(root + "/ADDON");
        bench::Spawn({VOXLET_CARD_BIN, "--root", root.c_str(), "--port", "0", "--delay-ms", "20"},
                     out.c_str());
        std::string listening, on, host; // the card's first line: "listening on ADDR:PORT"
        for (int tries = 0; tries < 200 && host.empty(); ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::ifstream(out) >> listening >> on >> host;
        }
        if (host.empty())
            bench::Fail("card " + std::to_string(i) + " did not start");
        hosts += (i ? "," : "") + host;
    }
    int failures = 0;
    platform::HeadlessPrompts prompts(
        [&](const std::string& line) { failures += line.starts_with("message"); });
    const auto http = platform::NewSystemHttpTransport();
    PcAudio audio;
    std::ofstream("Voxlet.ini") << "[REMOTE]\nCONNECT_TYPE=2\nFLASHAIR=" << hosts << "\n";
    Services services;
    services.prompts = &prompts;
    services.audio = &audio;
    services.http = http.get();
    services.settingsPath = dir / "Voxlet.ini";
    CVoicePlayer player(services);
    failures = 0; // those of the construction (no catalogue here) do not count
    const auto [all, one] = bench::Alternate(15, [&](bool floor) -> std::vector<double> {
        const auto start = std::chrono::steady_clock::now();
        player.SendFlashAirCommand(
            RouteSend::Record(123, 3, 100, floor ? std::optional('1') : std::nullopt));
        return {bench::MsSince(start)};
    });
    if (failures > 0)
        bench::Fail(std::to_string(failures) + " failed exchanges");
    bench::PrintRow("Play to 8 FlashAir cards, each answering after 20 ms", all[0], one[0], "ms",
                    "", "floor: the same command to one card");
    return 0;
}
