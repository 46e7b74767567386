// Loading a 1M-row catalogue: the CPU time and the peak memory growth of
// CVoicePlayer::LoadVoiceCsv beside `iconv -f CP932 -t UTF-8` of the same file,
// alternating; every load and every iconv runs in a process of its own.
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <fstream>

#include "bench_row.h"
#include "core/voice_player.h"
#include "platform/text.h"
#include "player_services.h"

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
    const char* format = "1,%s%s%d,%s%s,tiko\\T%07d.wav,%d,%d,%d,0,0,1,0,0,0,0,0,0,0,0,%d\r\n";
    char row[200];
    for (int i = 0; i < kRows; ++i) {
        const auto &a = words[i % 8], &b = words[i / 8 % 8];
        text.append(row, std::snprintf(row, sizeof row, format, a[0], b[0], i, a[1], b[1], i,
                                       i % 30000, 1 + i % 9, i % 11, i % 2));
    }
    if (!(std::ofstream(path, std::ios::binary) << platform::Utf8ToCp932(text)))
        bench::Fail("cannot write the catalogue");
}

// CPU time (s) and peak resident set (MB) of this process, or of the child
// pid once it has ended, which it must do with success.
std::vector<double> Cost(pid_t pid = 0) {
    int status = 0;
    rusage usage{};
    if (pid ? wait4(pid, &status, 0, &usage) != pid || status != 0
            : getrusage(RUSAGE_SELF, &usage) != 0)
        bench::Fail(pid ? "a load or an iconv failed" : "getrusage");
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
            return Cost(bench::Spawn({"iconv", "-f", "CP932", "-t", "UTF-8", "big.csv"}));
        const pid_t pid = fork();
        if (pid == 0) {
            bench::PlayerServices services(dir);
            CVoicePlayer player(services.services); // loads the small catalogue
            std::filesystem::rename("big.csv", "Ninshiki.csv");
            // From here the peak resident set is the current one.
            std::ofstream("/proc/self/clear_refs") << "5";
            const auto before = Cost();
            player.LoadVoiceCsv(MODE_NINSHIKI);
            const auto after = Cost();
            load[0] = after[0] - before[0];
            load[1] = (after[1] - before[1]) * 1024 * 1024 / kRows;
            std::filesystem::rename("Ninshiki.csv", "big.csv");
            _exit(player.Catalogue().entries.size() == kRows ? 0 : 1);
        }
        Cost(pid);
        return {load[0], load[1]};
    });
    char notes[160];
    std::snprintf(notes, sizeof notes,
                  "%d rows, all kept; %.0f MB file; %.0f B a row (median peak RSS growth); iconv "
                  "peak %.0f MB",
                  kRows, static_cast<double>(std::filesystem::file_size("big.csv")) / 1e6,
                  bench::Median(loads[1]), bench::Median(iconv[1]));
    bench::PrintRow("Load a 1M-row catalogue (CPU)", loads[0], iconv[0], "s", " (iconv)", notes);
    return 0;
}
