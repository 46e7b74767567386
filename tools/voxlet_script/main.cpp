// voxlet-script --ini PATH SCRIPT: runs a scenario against the real player,
// dialog logic and platform layer with a headless dialog, printing a transcript.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "core/start_folder.h"
#include "platform/console.h"
#include "platform/paths.h"
#include "platform/system_http.h"
#include "tools/voxlet_script/script_runner.h"

int main(int argc, char** argv) {
    platform::UseBinaryStandardStreams(); // transcripts end their lines in LF everywhere
    std::string ini;
    std::string script;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
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
    std::FILE* in = platform::OpenFile(script, "rb");
    if (!in) {
        std::cout << "error: cannot read script " << script << '\n';
        return 2;
    }
    // One line per line break, CR LF or LF; a last line without one counts.
    std::vector<std::string> lines;
    std::string line;
    const auto endLine = [&] {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        line.clear();
    };
    for (int c; (c = std::fgetc(in)) != EOF;) {
        if (c == '\n')
            endLine();
        else
            line += static_cast<char>(c);
    }
    std::fclose(in);
    if (!line.empty())
        endLine();

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
