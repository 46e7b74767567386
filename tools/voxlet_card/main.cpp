// voxlet-card: a FlashAir card emulator for loopback and tests, and a robot
// stand-in.
//
//   voxlet-card --root DIR [--port N] [--bind ADDR] [--log FILE] [--timeout MS]
//               [--delay-ms MS] [--body-budget BYTES] [--lifeline PORT]
//               [--robot [--catalogue FILE]... [--voice DIR] [--play] [--poll MS]]
//
// Serves GET /upload.cgi?UPDIR=... and POST /upload.cgi as a FlashAir card
// does, storing uploads below DIR. Prints "listening on ADDR:PORT" first, then
// one line per request. --log appends every raw request to FILE.
//
// With --robot it also stands in for the robot that carries the card: it
// watches DIR/ADDON/REMOTE.LOG, whether uploaded through this emulator or
// written directly into DIR on the drive route, and prints one "robot: ..."
// line for every command record (robot.h). Several stand-ins on different
// ports and roots act as several robots.
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>

#include "card_server.h"
#include "card_store.h"
#include "playback/audio/audio_backend.h"
#include "print_line.h"
#include "robot.h"

#ifdef VOXLET_CARD_SDL
#include "playback/sdl/sdl_backend.h"
#endif

namespace {

void Usage(std::FILE* out) {
    std::fprintf(out, "usage: voxlet-card --root DIR [--port N] [--bind ADDR] [--log FILE] "
                      "[--timeout MS] [--delay-ms MS] [--body-budget BYTES]\n"
                      "                   [--lifeline PORT]\n"
                      "  --root DIR     the card's contents (an existing folder)\n"
                      "  --port N       TCP port, 0 (the default) for a free one\n"
                      "  --bind ADDR    address to listen on (default 127.0.0.1)\n"
                      "  --log FILE     append every raw request to FILE\n"
                      "  --timeout MS   drop a client silent for this long (default 10000)\n"
                      "  --delay-ms MS  wait this long before each reply, as a slow card\n"
                      "                 does (default 0)\n"
                      "  --body-budget BYTES  request bodies held at once, over all\n"
                      "                 connections; a request whose body does not fit in\n"
                      "                 what is left is answered 503 unread (default\n"
                      "                 268435456, 256 MiB)\n"
                      "  --lifeline PORT  connect to 127.0.0.1:PORT first and end when that\n"
                      "                 connection ends (for a parent that cannot signal\n"
                      "                 this program, such as one under Wine)\n"
                      "  --robot        act as the robot: report every command record that\n"
                      "                 reaches ADDON/REMOTE.LOG (uploaded or written directly)\n"
                      "  --catalogue F  with --robot: a voice catalogue (CSV) for the labels;\n"
                      "                 may be given several times\n"
                      "  --voice DIR    with --robot --play: the voice folder (default: voice\n"
                      "                 beside the first catalogue)\n"
                      "  --play         with --robot: also play each clip on this PC (SDL2)\n"
                      "  --poll MS      with --robot: how often REMOTE.LOG is looked at\n"
                      "                 (default 50)\n");
}

// Ends the program once the connection to 127.0.0.1:port ends; false when
// there is none.
bool HoldLifeline(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        return false;
    std::thread([fd] {
        char byte;
        while (recv(fd, &byte, 1, 0) > 0) {
        }
        std::_Exit(0); // as SIGTERM ends it
    }).detach();
    return true;
}

bool ParseNumber(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    std::string root;
    card::ServerOptions options;
    bool robot = false;
    bool play = false;
    bool robotOnly = false; // an option that needs --robot was given
    long lifeline = 0;
    int pollMs = 50;
    card::RobotOptions robotOptions;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        long number = 0;
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        } else if (arg == "--root" && hasValue) {
            root = argv[++i];
        } else if (arg == "--port" && hasValue) {
            if (!ParseNumber(argv[++i], 0, 65535, number)) {
                card::PrintLinef(stderr, "voxlet-card: bad port %s", argv[i]);
                return 2;
            }
            options.port = static_cast<int>(number);
        } else if (arg == "--bind" && hasValue) {
            options.bindAddress = argv[++i];
        } else if (arg == "--log" && hasValue) {
            options.logFile = argv[++i];
        } else if (arg == "--timeout" && hasValue) {
            if (!ParseNumber(argv[++i], 1, 3600000, number)) {
                card::PrintLinef(stderr, "voxlet-card: bad time-out %s", argv[i]);
                return 2;
            }
            options.idleTimeoutMs = static_cast<int>(number);
            options.requestTimeoutMs = static_cast<int>(std::min(number * 6, 3600000L));
        } else if (arg == "--delay-ms" && hasValue) {
            if (!ParseNumber(argv[++i], 0, 60000, number)) {
                card::PrintLinef(stderr, "voxlet-card: bad reply delay %s", argv[i]);
                return 2;
            }
            options.replyDelayMs = static_cast<int>(number);
        } else if (arg == "--body-budget" && hasValue) {
            if (!ParseNumber(argv[++i], 0, 1L << 40, number)) {
                card::PrintLinef(stderr, "voxlet-card: bad body budget %s", argv[i]);
                return 2;
            }
            options.bodyBudgetBytes = static_cast<std::size_t>(number);
        } else if (arg == "--lifeline" && hasValue) {
            if (!ParseNumber(argv[++i], 1, 65535, lifeline)) {
                card::PrintLinef(stderr, "voxlet-card: bad lifeline port %s", argv[i]);
                return 2;
            }
        } else if (arg == "--robot") {
            robot = true;
        } else if (arg == "--catalogue" && hasValue) {
            robotOptions.catalogues.push_back(argv[++i]);
            robotOnly = true;
        } else if (arg == "--voice" && hasValue) {
            robotOptions.voiceFolder = argv[++i];
            robotOnly = true;
        } else if (arg == "--play") {
            play = true;
            robotOnly = true;
        } else if (arg == "--poll" && hasValue) {
            if (!ParseNumber(argv[++i], 1, 60000, number)) {
                card::PrintLinef(stderr, "voxlet-card: bad poll interval %s", argv[i]);
                return 2;
            }
            pollMs = static_cast<int>(number);
            robotOnly = true;
        } else {
            card::PrintLinef(stderr, "voxlet-card: unknown or incomplete option %s", arg.c_str());
            Usage(stderr);
            return 2;
        }
    }
    struct stat st;
    if (root.empty() || stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        card::PrintLinef(stderr, "voxlet-card: --root must name an existing folder");
        Usage(stderr);
        return 2;
    }

    if (robotOnly && !robot) {
        card::PrintLinef(stderr,
                         "voxlet-card: --catalogue, --voice, --play and --poll need --robot");
        return 2;
    }

    if (lifeline && !HoldLifeline(static_cast<int>(lifeline))) {
        card::PrintLinef(stderr, "voxlet-card: no lifeline on port %ld", lifeline);
        return 2;
    }

    std::unique_ptr<AudioBackend> audio;
    if (play) {
#ifdef VOXLET_CARD_SDL
        auto sdl = std::make_unique<SdlAudioBackend>();
        if (sdl->Open(nullptr))
            audio = std::move(sdl);
        else
            card::PrintLinef(stderr, "voxlet-card: no sound (%s); reporting only",
                             sdl->LastError().c_str());
#else
        card::PrintLinef(stderr, "voxlet-card: built without SDL2; --play is not available");
        return 2;
#endif
    }
    std::unique_ptr<card::Robot> stand;
    std::string error;
    if (robot) {
        stand = std::make_unique<card::Robot>(root, robotOptions, audio.get());
        if (!stand->Start(error)) {
            card::PrintLinef(stderr, "voxlet-card: %s", error.c_str());
            return 2;
        }
        options.pollIntervalMs = pollMs;
    }

    card::CardStore store(root);
    card::CardServer server(store, options, stand.get());
    if (!server.Listen(error)) {
        card::PrintLinef(stderr, "voxlet-card: %s", error.c_str());
        return 1;
    }
    card::PrintLinef(stdout, "listening on %s", server.Endpoint().c_str());
    if (stand)
        card::PrintLinef(stdout, "robot stand-in watching %s (%zu labels%s)",
                         stand->WatchedPath().c_str(), stand->LabelCount(),
                         audio ? ", clips play on this PC" : "");
    server.Run();
    return 1;
}
