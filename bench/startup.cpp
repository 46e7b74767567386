// Benchmark row: start until the main window is mapped with its list filled,
// voxlet on the demo set (SDL's dummy audio driver) beside the bare dialog
// (bare_dialog.cpp), in alternating rounds. The time runs from the spawn to
// the X server's MapNotify of the first top-level window. Without DISPLAY it
// runs itself under xvfb-run (and dbus-run-session, without a session bus).
//
//   startup [VOXLET]   (default: the voxlet of this build)
#include <X11/Xlib.h>
#include <fcntl.h>
#include <linux/perf_event.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "bench/bench_row.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 15;
constexpr int kMapTimeoutMs = 20000;

struct Cost {
    double wallMs = -1; // from the start to the MapNotify; -1: no window came
    double cpuMs = -1;  // CPU time of the program's threads by then; -1: not measured
};

// The cost of starting the program in folder until a top-level window is
// mapped. The CPU time is the kernel's task clock of the program and every
// thread it starts (perf_event_open, inherited), counted from its exec.
Cost TimeToMap(Display* x, const std::string& program, const std::string& folder) {
    int go[2];
    if (pipe2(go, O_CLOEXEC) != 0)
        return {};
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        char c;
        if (read(go[0], &c, 1) == 1 && chdir(folder.c_str()) == 0)
            execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    perf_event_attr attr{};
    attr.type = PERF_TYPE_SOFTWARE;
    attr.size = sizeof attr;
    attr.config = PERF_COUNT_SW_TASK_CLOCK;
    attr.disabled = 1;
    attr.enable_on_exec = 1;
    attr.inherit = 1;
    const int counter = pid > 0 ? static_cast<int>(syscall(SYS_perf_event_open, &attr, pid, -1, -1,
                                                           PERF_FLAG_FD_CLOEXEC))
                                : -1;
    if (write(go[1], "g", 1) != 1)
        std::perror("startup: start");
    close(go[0]);
    close(go[1]);
    Cost cost;
    while (pid > 0 && cost.wallMs < 0) {
        while (cost.wallMs < 0 && XPending(x) > 0) {
            XEvent event;
            XNextEvent(x, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect)
                cost.wallMs = std::chrono::duration<double, std::milli>(
                                  std::chrono::steady_clock::now() - start)
                                  .count();
        }
        pollfd p{ConnectionNumber(x), POLLIN, 0};
        if (cost.wallMs < 0 && poll(&p, 1, kMapTimeoutMs) <= 0)
            break;
    }
    std::uint64_t ns = 0;
    if (counter >= 0 && cost.wallMs >= 0 && read(counter, &ns, sizeof ns) == sizeof ns)
        cost.cpuMs = static_cast<double>(ns) / 1e6;
    if (counter >= 0)
        close(counter);
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    XSync(x, True); // the events of this round are dropped
    return cost;
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY")) {
        // A desktop session also has a session bus: without one, every start
        // would have D-Bus launch a bus of its own (SDL connects at start).
        std::vector<const char*> args;
        if (!std::getenv("DBUS_SESSION_BUS_ADDRESS"))
            args = {"dbus-run-session", "--"};
        args.insert(args.end(), {"xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", argv[0]});
        args.push_back(argc > 1 ? argv[1] : nullptr);
        args.push_back(nullptr);
        execvp(args[0], const_cast<char* const*>(args.data()));
        std::perror("startup: xvfb-run");
        return 1;
    }
    // voxlet as installed: bin/voxlet beside share/voxlet/demo, started in an
    // empty folder, with a home of its own.
    const fs::path stage = fs::path(BENCH_STAGE);
    fs::remove_all(stage);
    for (const char* folder : {"bin", "share/voxlet", "home", "empty"})
        fs::create_directories(stage / folder);
    fs::copy_file(argc > 1 ? argv[1] : VOXLET_BIN, stage / "bin/voxlet");
    fs::create_directory_symlink(VOXLET_DEMO_DIR, stage / "share/voxlet/demo");
    setenv("HOME", (stage / "home").c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("NO_AT_BRIDGE", "1", 1);

    Display* x = XOpenDisplay(nullptr);
    if (!x) {
        std::fprintf(stderr, "startup: cannot open the display\n");
        return 1;
    }
    XSelectInput(x, DefaultRootWindow(x), SubstructureNotifyMask);
    XSync(x, True);
    const std::string voxlet = stage / "bin/voxlet", empty = stage / "empty";
    TimeToMap(x, BARE_DIALOG_BIN, empty); // the caches warmed up
    TimeToMap(x, voxlet, empty);
    std::vector<Cost> program, bare;
    for (int round = 0; round < kRounds; ++round) {
        const bool bareFirst = round % 2 == 0;
        const Cost first = TimeToMap(x, bareFirst ? BARE_DIALOG_BIN : voxlet, empty);
        const Cost second = TimeToMap(x, bareFirst ? voxlet : BARE_DIALOG_BIN, empty);
        if (first.wallMs < 0 || second.wallMs < 0) {
            std::fprintf(stderr, "startup: no window was mapped\n");
            return 1;
        }
        bare.push_back(bareFirst ? first : second);
        program.push_back(bareFirst ? second : first);
    }
    XCloseDisplay(x);
    fs::remove_all(stage);
    auto column = [](const std::vector<Cost>& costs, double Cost::*field) {
        bench::Series ms;
        for (const Cost& cost : costs)
            ms.Add(cost.*field);
        return ms;
    };
    const std::string notes = "floor: a bare wx dialog with the same controls; spawn to MapNotify "
                              "under Xvfb, " +
                              std::to_string(kRounds) + " alternating rounds";
    bench::PrintRow("Start until the main window is mapped, demo set",
                    column(program, &Cost::wallMs), column(bare, &Cost::wallMs), 1, "ms", "",
                    notes);
    if (program.front().cpuMs >= 0 && bare.front().cpuMs >= 0)
        bench::PrintRow("CPU time of the start until the main window is mapped",
                        column(program, &Cost::cpuMs), column(bare, &Cost::cpuMs), 1, "ms", "",
                        notes + "; every thread's task clock (perf_event_open)");
    return 0;
}
