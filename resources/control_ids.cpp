#include "resources/control_ids.h"

#include <cctype>

#include "resources/templates.h"

namespace {

#define VOXLET_CONTROL_NAME(name, id) ControlName{#name, id},
constexpr ControlName kMainNames[] = {VOXLET_MAIN_CONTROL_IDS(VOXLET_CONTROL_NAME)};
constexpr ControlName kSettingsNames[] = {VOXLET_SETTINGS_CONTROL_IDS(VOXLET_CONTROL_NAME)};
constexpr ControlName kAboutNames[] = {VOXLET_ABOUT_CONTROL_IDS(VOXLET_CONTROL_NAME)};
constexpr ControlName kPlayListNames[] = {VOXLET_PLAY_LIST_CONTROL_IDS(VOXLET_CONTROL_NAME)};
#undef VOXLET_CONTROL_NAME

} // namespace

std::span<const ControlName> ControlNames(int dialogId) {
    switch (dialogId) {
    case IDD_VOXLET_DIALOG:
        return kMainNames;
    case IDD_DEFINE_DIALOG:
        return kSettingsNames;
    case IDD_ABOUTBOX:
        return kAboutNames;
    case IDD_PLAY_LIST_DIALOG:
        return kPlayListNames;
    default:
        return {};
    }
}

std::string ScriptName(std::string_view constant) {
    std::string name;
    for (const char c : constant) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isupper(u) && !name.empty())
            name += '-';
        name += static_cast<char>(std::tolower(u));
    }
    return name;
}

std::optional<int> FindControlId(int dialogId, std::string_view name) {
    for (const ControlName& control : ControlNames(dialogId))
        if (ScriptName(control.constant) == name)
            return control.id;
    return std::nullopt;
}
