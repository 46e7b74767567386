// Loading a 1M-row catalogue: the CPU time and the peak memory growth of
// CVoicePlayer::LoadVoiceCsv beside `iconv -f CP932 -t UTF-8` of the same file,
// alternating; every load and every iconv runs in a process of its own.
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <ctime>
#include <fstream>

#include "bench/bench_row.h"
#include "core/voice_player.h"
#include "platform/text.h"
#include "tools/headless/headless_prompts.h"

namespace {

constexpr int kRows = 1'000'000;

// Deterministic rows like the demo catalogues': text, reading, clip file, id,
// seconds, category and twelve flags, CP932 with CR LF.
void WriteCatalogue(const char* path) {
    const char* words[][2] = {{"おはよう", "おはよう"},     {"ティコ", "てぃこ"},
                              {"こんにちは", "こんにちわ"}, {"元気", "げんき"},
                              {"遊ぼう", "あそぼう"},       {"ダンス①", "だんす"},
                              {"眠い～", "ねむい"},         {"ありがとう", "ありがとう"}};
    std::string text = "set,text,reading,file,id,seconds,category,flags\r\n";
    char row[200];
    for (int i = 0; i < kRows; ++i) {
        const auto &a = words[i % 8], &b = words[i / 8 % 8];
        text.append(row, std::snprintf(row, sizeof row,
                                       "1,%s%s%d,%s%s,tiko\\T%07d.wav,%d,%d,%d,0,0,1,0,0,0,0,0,0,0,"
                                       "0,%d\r\n",
                                       a[0], b[0], i, a[1], b[1], i, i % 30000, 1 + i % 9, i % 11,
                                       i % 2));
    }
    if (!(std::ofstream(path, std::ios::binary) << platform::Utf8ToCp932(text)))
        std::exit(1);
}

long PeakKb() {
    std::ifstream status("/proc/self/status");
    long kb = 0;
    for (std::string word; status >> word && word != "VmHWM:";) {
    }
    status >> kb;
    return kb;
}

// CPU time (s) and peak resident set (MB) of a child, which must succeed.
std::vector<double> Usage(pid_t pid) {
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || status != 0)
        std::exit(1);
    auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return {seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_maxrss / 1024.0};
}

} // namespace

int main() {
    const auto dir = bench::EnterTempFolder();
    std::ofstream("Ninshiki.csv") << "h\r\n1,t,x,f.wav,1,1,1\r\n";
    WriteCatalogue("big.csv");
    // The load's CPU time and its growth of the peak resident set per row.
    auto* load = static_cast<double*>(mmap(nullptr, 2 * sizeof(double), PROT_READ | PROT_WRITE,
                                           MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    const auto [loads, iconv] = bench::Alternate(5, [&](bool floor) -> std::vector<double> {
        if (floor)
            return Usage(bench::Spawn({"iconv", "-f", "CP932", "-t", "UTF-8", "big.csv"}));
        const pid_t pid = fork();
        if (pid == 0) {
            platform::HeadlessPrompts prompts([](const std::string&) {});
            PcAudio audio;
            Services services;
            services.prompts = &prompts;
            services.audio = &audio;
            services.settingsPath = dir / "Voxlet.ini";
            CVoicePlayer player(services); // loads the small catalogue
            std::filesystem::rename("big.csv", "Ninshiki.csv");
            std::ofstream("/proc/self/clear_refs") << "5"; // the peak is the resident set now
            const long before = PeakKb();
            const std::clock_t start = std::clock();
            player.LoadVoiceCsv(MODE_NINSHIKI);
            load[0] = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
            load[1] = (PeakKb() - before) * 1024.0 / kRows;
            std::filesystem::rename("Ninshiki.csv", "big.csv");
            _exit(player.Catalogue().entries.size() == kRows ? 0 : 1);
        }
        Usage(pid);
        return {load[0], load[1]};
    });
    char notes[160];
    std::snprintf(notes, sizeof notes,
                  "%d rows, all kept; %.0f MB file; %.0f B a row (median peak RSS growth); iconv "
                  "peak %.0f MB; 5 alternating rounds",
                  kRows, static_cast<double>(std::filesystem::file_size("big.csv")) / 1e6,
                  bench::Median(loads[1]), bench::Median(iconv[1]));
    bench::PrintRow("Load a 1M-row catalogue (CPU)", loads[0], iconv[0], "s", " (iconv)", notes);
    return 0;
}
