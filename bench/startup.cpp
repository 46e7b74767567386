// Benchmark row: start until the main window is mapped with its list filled,
// voxlet on the demo set (SDL's dummy audio driver) beside the bare dialog
// (bare_dialog.cpp), in alternating rounds. The time runs from the spawn to
// the X server's MapNotify of the first top-level window. Without DISPLAY it
// runs itself under xvfb-run (and dbus-run-session, without a session bus).
//
//   startup [VOXLET]   (default: the voxlet of this build)
#include <X11/Xlib.h>
#include <linux/perf_event.h>
#include <poll.h>
#include <sys/syscall.h>

#include <cmath>

#include "bench_row.h"

namespace {

constexpr int kMapTimeoutMs = 20000;

// Wall and CPU time (ms) from starting program until a top-level window is
// mapped. The CPU time is the kernel's task clock of the program and every
// thread it starts (perf_event_open, inherited), counted from its exec; NaN
// when perf events are not allowed here.
std::vector<double> TimeToMap(Display* x, const char* program) {
    int go[2];
    if (pipe2(go, O_CLOEXEC) != 0)
        bench::Fail("pipe2");
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = bench::Spawn({program}, "/dev/null", go[0]);
    perf_event_attr attr{};
    attr.type = PERF_TYPE_SOFTWARE;
    attr.size = sizeof attr;
    attr.config = PERF_COUNT_SW_TASK_CLOCK;
    attr.disabled = attr.inherit = attr.enable_on_exec = 1;
    const int counter =
        static_cast<int>(syscall(SYS_perf_event_open, &attr, pid, -1, -1, PERF_FLAG_FD_CLOEXEC));
    (void)!write(go[1], "g", 1); // when it fails, no window comes
    close(go[0]);
    close(go[1]);
    double wallMs = -1;
    pollfd connection{ConnectionNumber(x), POLLIN, 0};
    while (wallMs < 0 && (XPending(x) > 0 || poll(&connection, 1, kMapTimeoutMs) > 0)) {
        XEvent event;
        if (XPending(x) == 0)
            continue;
        XNextEvent(x, &event);
        if (event.type == MapNotify && !event.xmap.override_redirect)
            wallMs = bench::MsSince(start);
    }
    std::uint64_t ns = 0;
    const bool counted = counter >= 0 && read(counter, &ns, sizeof ns) == sizeof ns;
    close(counter);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    XSync(x, True); // the events of this round are dropped
    if (wallMs < 0)
        bench::Fail("no window was mapped");
    return {wallMs, counted ? static_cast<double>(ns) / 1e6 : NAN};
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY")) {
        // A desktop session also has a session bus: without one, every start
        // would have D-Bus launch a bus of its own (SDL connects at start).
        std::vector<const char*> args;
        if (!std::getenv("DBUS_SESSION_BUS_ADDRESS"))
            args = {"dbus-run-session", "--"};
        args.insert(args.end(), {"xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", argv[0],
                                 argc > 1 ? argv[1] : nullptr, nullptr});
        execvp(args[0], const_cast<char* const*>(args.data()));
        std::perror("startup: xvfb-run");
        return 1;
    }
    // voxlet as installed: bin/voxlet beside share/voxlet/demo, started in an
    // empty folder, with a home of its own.
    const auto stage = bench::EnterTempFolder();
    for (const char* folder : {"bin", "share/voxlet", "home", "empty"})
        std::filesystem::create_directories(stage / folder);
    std::filesystem::copy_file(argc > 1 ? argv[1] : VOXLET_BIN, stage / "bin/voxlet");
    std::filesystem::create_directory_symlink(VOXLET_DEMO_DIR, stage / "share/voxlet/demo");
    std::filesystem::current_path(stage / "empty");
    setenv("HOME", (stage / "home").c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("NO_AT_BRIDGE", "1", 1);

    Display* x = XOpenDisplay(nullptr);
    if (!x)
        bench::Fail("cannot open the display");
    XSelectInput(x, DefaultRootWindow(x), SubstructureNotifyMask);
    XSync(x, True);
    const std::string voxlet = stage / "bin/voxlet";
    const auto [program, bare] = bench::Alternate(
        15, [&](bool floor) { return TimeToMap(x, floor ? BARE_DIALOG_BIN : voxlet.c_str()); });
    XCloseDisplay(x);
    const std::string notes =
        "floor: a bare wx dialog with the same controls; spawn to MapNotify under Xvfb";
    bench::PrintRow("Start until the main window is mapped, demo set", program[0], bare[0], "ms",
                    "", notes);
    if (!std::isnan(program[1][0]) && !std::isnan(bare[1][0]))
        bench::PrintRow("CPU time of the start until the main window is mapped", program[1],
                        bare[1], "ms", "", notes + "; every thread's task clock (perf_event_open)");
    return 0;
}
