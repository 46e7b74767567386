// What every benchmark program shares: its rounds, the programs it starts, its
// temporary folder and the one row it prints.
#pragma once

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

using Series = std::vector<double>;

// Ends the program with a line on what failed.
[[noreturn]] inline void Fail(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, what.c_str());
    std::exit(1);
}

// [floor][k]: the k-th value run(floor) returns, over `rounds` rounds of
// run(false), the measured case, and run(true), its floor, in alternating
// order, after one warm-up run of each whose values are dropped.
template <class Run> std::array<std::vector<Series>, 2> Alternate(int rounds, Run run) {
    std::array<std::vector<Series>, 2> values;
    for (int round = -1; round < rounds; ++round)
        for (const bool floor : {round % 2 != 0, round % 2 == 0}) {
            const std::vector<double> got = run(floor);
            values[floor].resize(got.size());
            for (std::size_t k = 0; round >= 0 && k < got.size(); ++k)
                values[floor][k].push_back(got[k]);
        }
    return values;
}

inline double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Starts argv[0] (searched on PATH) with its output going to the file `out`;
// with a gate, the child waits for a byte on it before the exec. The child is
// killed when this program ends.
inline pid_t Spawn(std::vector<const char*> argv, const char* out = "/dev/null", int gate = -1) {
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        Fail("cannot start " + std::string(argv[0]));
    char go;
    if (pid == 0) {
        if (prctl(PR_SET_PDEATHSIG, SIGKILL) == 0 &&
            dup2(open(out, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600), 1) == 1 &&
            (gate < 0 || read(gate, &go, 1) == 1))
            execvp(argv[0], const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    return pid;
}

// A new folder, made the current one; it is removed when the program exits.
inline std::filesystem::path EnterTempFolder() {
    static char path[] = "/tmp/voxlet-bench-XXXXXX";
    if (!mkdtemp(path))
        Fail("cannot make a temporary folder");
    std::filesystem::current_path(path);
    std::atexit([] { std::filesystem::remove_all(path); });
    return path;
}

inline double Median(Series v) {
    std::sort(v.begin(), v.end());
    return (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2;
}

// The tab-separated row: what, measured, floor (with its label), the ratio of
// the medians, notes followed by the number of rounds; each series as
// "min 1.2 ms / median 1.4 ms".
inline void PrintRow(const std::string& what, const Series& measured, const Series& floor,
                     const char* unit, const char* floorLabel, const std::string& notes) {
    auto text = [&](const Series& s) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "min %.3g %s / median %.3g %s",
                      *std::min_element(s.begin(), s.end()), unit, Median(s), unit);
        return std::string(buf);
    };
    std::printf("%s\t%s\t%s%s\t%.2fx\t%s; %zu alternating rounds\n", what.c_str(),
                text(measured).c_str(), text(floor).c_str(), floorLabel,
                Median(measured) / Median(floor), notes.c_str(), measured.size());
}

} // namespace bench
