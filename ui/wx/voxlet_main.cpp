// The `voxlet` program: CVoxletApp on wxWidgets.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "ui/voxlet_usage.h"

#include "ui/wx/voxlet_app.h"

wxIMPLEMENT_APP_NO_MAIN(CVoxletApp);

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--help") {
            std::fputs(kVoxletUsage, stdout);
            return 0;
        }
    }
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fputs("voxlet: no display to open a window on (DISPLAY is not set).\n"
                   "Run it in a desktop session, or see the player work without a window\n"
                   "with scripts/tour.\n",
                   stderr);
        return 1;
    }
    const int rc = wxEntry(argc, argv);
    // Ended by SIGINT or SIGTERM after a clean shut-down: the caller (a shell
    // running a script, say) learns that the signal ended the program.
    if (const int signal = CVoxletApp::QuitSignal()) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
    return rc;
}
