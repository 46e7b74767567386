// Loading a 1M-row catalogue: the CPU time and the peak memory growth of
// CVoicePlayer::LoadVoiceCsv beside `iconv -f CP932 -t UTF-8` of the same file,
// alternating; every load and every iconv runs in a process of its own.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_row.h"
#include "core/voice_player.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "tools/headless/headless_prompts.h"

namespace {

constexpr int kRows = 1'000'000;

// Deterministic rows like the demo catalogues': text, reading, clip file, id,
// seconds, category and twelve flags, CP932 with CR LF.
void WriteCatalogue(const std::string& path) {
    const char* words[][2] = {{"おはよう", "おはよう"},     {"ティコ", "てぃこ"},
                              {"こんにちは", "こんにちわ"}, {"元気", "げんき"},
                              {"遊ぼう", "あそぼう"},       {"ダンス①", "だんす"},
                              {"眠い～", "ねむい"},         {"ありがとう", "ありがとう"}};
    std::string cp932[8][2];
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 2; ++j)
            cp932[i][j] = platform::Utf8ToCp932(words[i][j]);
    std::ofstream out(path, std::ios::binary);
    out << "set,text,reading,file,id,seconds,category,flags\r\n";
    char tail[160];
    for (int i = 0; i < kRows; ++i) {
        const int a = i % 8, b = i / 8 % 8;
        std::snprintf(tail, sizeof tail, ",tiko\\T%07d.wav,%d,%d,%d,0,0,1,0,0,0,0,0,0,0,0,%d\r\n",
                      i, i % 30000, 1 + i % 9, i % 11, i % 2);
        out << "1," << cp932[a][0] << cp932[b][0] << i << ',' << cp932[a][1] << cp932[b][1] << tail;
    }
}

long StatusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == key && status >> word)
            return std::atol(word.c_str());
    return 0;
}

struct LoadResult {
    double cpuSeconds = 0;
    double bytesPerRow = 0;
    int rows = 0;
};

// In a child process: CPU time of the load and the growth of the peak
// resident set it causes (VmHWM reset through clear_refs), per row.
LoadResult LoadInChild() {
    int pipeFds[2];
    LoadResult result;
    if (pipe(pipeFds) != 0)
        std::exit(1);
    const pid_t pid = fork();
    if (pid == 0) {
        platform::HeadlessPrompts prompts([](const std::string&) {});
        PcAudio audio;
        Services services;
        services.prompts = &prompts;
        services.audio = &audio;
        services.settingsPath = (std::filesystem::current_path() / "Voxlet.ini").string();
        CVoicePlayer player(services); // loads the small catalogue
        std::filesystem::rename("big.csv", "Ninshiki.csv");
        const long before = StatusKb("VmRSS:");
        std::ofstream("/proc/self/clear_refs") << "5";
        timespec t0, t1;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t0);
        player.LoadVoiceCsv(MODE_NINSHIKI);
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t1);
        std::filesystem::rename("Ninshiki.csv", "big.csv");
        LoadResult r;
        r.cpuSeconds = static_cast<double>(t1.tv_sec - t0.tv_sec) + (t1.tv_nsec - t0.tv_nsec) / 1e9;
        r.rows = static_cast<int>(player.Catalogue().entries.size());
        r.bytesPerRow = (StatusKb("VmHWM:") - before) * 1024.0 / r.rows;
        (void)!write(pipeFds[1], &r, sizeof r);
        _exit(0);
    }
    close(pipeFds[1]);
    if (read(pipeFds[0], &result, sizeof result) != sizeof result)
        std::exit(1);
    close(pipeFds[0]);
    waitpid(pid, nullptr, 0);
    return result;
}

// CPU time (user and system) and peak resident set (MB) of iconv on the file.
std::pair<double, double> IconvTime(const std::string& path) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execlp("iconv", "iconv", "-f", "CP932", "-t", "UTF-8", path.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        std::exit(1);
    auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return {seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_maxrss / 1024.0};
}

} // namespace

int main() {
    const auto dir = std::filesystem::temp_directory_path() / "voxlet-bench-catalogue";
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    std::ofstream("Ninshiki.csv") << "h\r\n1,t,x,f.wav,1,1,1\r\n";
    WriteCatalogue("big.csv");

    bench::Series load, iconv, bytes;
    double iconvMb = 0;
    int rows = 0;
    for (int round = 0; round < 5; ++round) {
        const LoadResult r = LoadInChild();
        load.Add(r.cpuSeconds);
        bytes.Add(r.bytesPerRow);
        rows = r.rows;
        const auto [seconds, mb] = IconvTime((dir / "big.csv").string());
        iconv.Add(seconds);
        iconvMb = mb;
    }
    const auto fileMb = static_cast<double>(std::filesystem::file_size("big.csv")) / 1e6;
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    char notes[160];
    std::snprintf(notes, sizeof notes,
                  "%d rows kept of %d, %.0f MB file; %.0f B a row (median peak RSS growth); iconv "
                  "peak %.0f MB; 5 rounds",
                  rows, kRows, fileMb, bytes.Median(), iconvMb);
    bench::PrintRow("Load a 1M-row catalogue (CPU)", load, iconv, 1, "s", " (iconv)", notes);
    return rows == kRows ? 0 : 1;
}
