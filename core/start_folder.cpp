#include "core/start_folder.h"

#include "platform/paths.h"

std::string EnterDemoWhenNoData(const std::string& executableFolder) {
    if (platform::PathExists("Ninshiki.csv"))
        return {};
    const std::string data = platform::InstalledDataFolder(executableFolder);
    if (data.empty())
        return {};
    const std::string demo = data + "demo";
    if (!platform::PathExists(platform::JoinPath({demo, "Ninshiki.csv"})) ||
        !platform::SetCurrentFolder(demo))
        return {};
    return demo;
}
