// Benchmark row: one play command to 8 FlashAir cards that each answer after
// 20 ms, beside the same command to one of them (the floor), in alternating
// rounds; voxlet-card emulators on loopback, the player's SendFlashAirCommand
// over the libcurl transport.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "bench/bench_row.h"
#include "core/voice_player.h"
#include "platform/curl/curl_transport.h"
#include "platform/paths.h"
#include "tools/headless/headless_prompts.h"

namespace {

constexpr int kCards = 8;
constexpr int kRounds = 15;
const char* const kDelayMs = "20";

// A voxlet-card on a free port serving root; its address, or "" when it did not start.
std::string StartCard(const std::string& root, pid_t& pid) {
    const std::string out = root + ".out";
    pid = fork();
    if (pid == 0) {
        const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, 1);
        execl(VOXLET_CARD_BIN, VOXLET_CARD_BIN, "--root", root.c_str(), "--port", "0", "--delay-ms",
              kDelayMs, nullptr);
        _exit(127);
    }
    const std::string prefix = "listening on ";
    for (int tries = 0; pid > 0 && tries < 200; ++tries) {
        std::ifstream in(out);
        std::string line;
        if (std::getline(in, line) && in && line.starts_with(prefix))
            return line.substr(prefix.size());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

} // namespace

int main() {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(name);
    char base[] = "/tmp/voxlet-bench-cards-XXXXXX";
    if (!mkdtemp(base))
        return 1;
    const std::filesystem::path dir = base;
    std::vector<pid_t> pids;
    std::string hosts;
    for (int i = 0; i < kCards; ++i) {
        const std::string root = dir / ("card" + std::to_string(i));
        std::filesystem::create_directories(root + "/ADDON");
        pid_t pid = -1;
        const std::string host = StartCard(root, pid);
        if (pid > 0)
            pids.push_back(pid);
        hosts += (i ? "," : "") + host;
        if (host.empty())
            break;
    }

    int failures = 0;
    platform::HeadlessPrompts prompts([&](const std::string& line) {
        if (line.starts_with("message"))
            ++failures;
    });
    CurlTransport http;
    PcAudio audio;
    Services services;
    services.prompts = &prompts;
    services.audio = &audio;
    services.http = &http;
    services.settingsPath = (dir / "Voxlet.ini").string();
    std::ofstream(dir / "Voxlet.ini") << "[REMOTE]\nCONNECT_TYPE=2\nFLASHAIR=" << hosts << "\n";
    std::filesystem::current_path(dir);
    bench::Series all, one;
    {
        CVoicePlayer player(services);
        failures = 0; // those of the construction (no catalogue here) do not count
        auto send = [&](int cards) {
            player.SelectFlashAirCard(cards == 1 ? 0 : -1);
            const auto start = std::chrono::steady_clock::now();
            player.SendFlashAirCommand(100, 123, 3);
            return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                             start)
                .count();
        };
        send(kCards); // libcurl loaded, the cards warmed up
        for (int round = 0; round < kRounds; ++round) {
            const bool allFirst = round % 2 == 0;
            const double first = send(allFirst ? kCards : 1);
            const double second = send(allFirst ? 1 : kCards);
            all.Add(allFirst ? first : second);
            one.Add(allFirst ? second : first);
        }
    }
    for (pid_t pid : pids) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    if (failures > 0 || static_cast<int>(pids.size()) != kCards) {
        std::fprintf(stderr, "flashair_cards: %d failed exchanges, %zu cards started\n", failures,
                     pids.size());
        return 1;
    }
    bench::PrintRow("Play to 8 FlashAir cards, each answering after 20 ms", all, one, 1, "ms", "",
                    "floor: the same command to one card; " + std::to_string(kRounds) +
                        " alternating rounds");
    return 0;
}
