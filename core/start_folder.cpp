#include "core/start_folder.h"

#include "core/voice_player.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/prompts.h"
#include "resources/string_table.h"

namespace {
constexpr std::string_view kCatalogue = "Ninshiki.csv";
// A folder's path as long as the system takes one.
constexpr std::size_t kPathBuffer = 4096;
} // namespace

bool HoldsCatalogue(const std::string& folder) {
    return platform::PathExists(platform::JoinPath({folder, kCatalogue}));
}

StartFolder EnterDataFolder(const std::string& executableFolder, const std::string& iniPath) {
    const bool here = platform::PathExists(kCatalogue);
    if (here && !platform::IsSameFolder(".", executableFolder))
        return {};
    const std::string chosen =
        platform::ProfileReadString("DATA", "DATA_FOLDER", "", kPathBuffer, iniPath);
    if (!chosen.empty() && HoldsCatalogue(chosen) && platform::SetCurrentFolder(chosen))
        return {chosen, false};
    const std::string data = here ? std::string() : platform::InstalledDataFolder(executableFolder);
    if (data.empty())
        return {};
    const std::string demo = data + "demo";
    if (!HoldsCatalogue(demo) || !platform::SetCurrentFolder(demo))
        return {};
    return {demo, true};
}

bool CVoicePlayer::SelectDataFolder() {
    std::string initial = ReadSetting("DATA", "DATA_FOLDER", "");
    if (initial.empty())
        initial = platform::AbsolutePath(".");
    const auto chosen = m_services.prompts->ChooseFolder(
        std::string(LoadStringId(ids::IDS_DATA_FOLDER_TITLE)), initial);
    if (!chosen)
        return false;
    // Stored whole: the next start may be in another current folder.
    const std::string folder = platform::AbsolutePath(*chosen);
    if (!HoldsCatalogue(folder) || !platform::SetCurrentFolder(folder)) {
        ShowOkMessage(*m_services.prompts, ids::IDS_NO_CATALOGUE_IN_FOLDER,
                      platform::MsgIcon::Warning, folder);
        return false;
    }
    WriteSetting("DATA", "DATA_FOLDER", folder);
    return true;
}
