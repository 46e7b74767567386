// voxlet-script --ini PATH SCRIPT: runs a scenario against the real player,
// dialog logic and platform layer with a headless dialog, printing a transcript.
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "platform/curl/curl_transport.h"
#include "platform/paths.h"
#include "tools/voxlet_script/script_runner.h"

int main(int argc, char** argv) {
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
    std::ifstream in(script);
    if (!in) {
        std::cout << "error: cannot read script " << script << '\n';
        return 2;
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);

    platform::SetSettingsPathOverride(ini);
    CurlTransport http;
    platform::SetHttpTransport(&http);
    ScriptRunner runner(std::move(lines), std::cout);
    const int rc = runner.Run();
    platform::SetHttpTransport(nullptr);
    return rc;
}
