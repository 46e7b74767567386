// voxlet-script --ini PATH SCRIPT: runs a scenario against the real player,
// dialog logic and platform layer with a headless dialog, printing a transcript.
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/start_folder.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/system_http.h"
#include "platform/text.h"
#include "tools/voxlet_script/script_runner.h"

namespace {

constexpr char kUsage[] =
    "usage: voxlet-script --ini PATH SCRIPT\n"
    "Runs SCRIPT, one command a line, against Voxlet's player with a dialog\n"
    "without a window, and prints what the program does, step by step.\n"
    "  --ini PATH   the settings file to read and write\n"
    "  --help       print this and exit\n"
    "SCRIPT may be UTF-8 (with or without a byte-order mark) or Windows-31J.\n";

// The script's lines, one per line break (CR LF or LF; a last line without
// one counts), from text as a Windows editor may have saved it.
std::vector<std::string> ScriptLines(std::string_view bytes) {
    const std::string text = platform::TextFileToUtf8(bytes);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

} // namespace

int main(int argc, char** argv) {
    platform::UseUtf8StandardStreams(); // transcripts end their lines in LF everywhere
    std::string ini;
    std::string script;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--ini" && i + 1 < argc)
            ini = argv[++i];
        else if (script.empty() && !arg.starts_with("--"))
            script = arg;
        else {
            std::cerr << "usage: voxlet-script --ini PATH SCRIPT\n";
            return 2;
        }
    }
    if (ini.empty() || script.empty()) {
        std::cerr << "usage: voxlet-script --ini PATH SCRIPT\n";
        return 2;
    }
    std::string bytes;
    if (platform::ReadWholeFile(script, bytes) != platform::WholeRead::Ok) {
        std::cout << "error: cannot read script " << script << '\n';
        return 2;
    }
    std::vector<std::string> lines = ScriptLines(bytes);

    // Made absolute before a move to the demo set, which must not receive it.
    Services services;
    services.settingsPath = platform::AbsolutePath(ini);
    const StartFolder start = EnterDataFolder(platform::ExecutableFolder(), services.settingsPath);
    if (!start.folder.empty())
        std::cerr << "voxlet-script: using the " << (start.demo ? "demo voice set" : "data folder")
                  << " in " << start.folder << '\n';
    const auto http = platform::NewSystemHttpTransport();
    services.http = http.get();
    ScriptRunner runner(std::move(lines), std::cout, std::move(services));
    return runner.Run();
}
