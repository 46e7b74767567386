#include "resources/accessible_names.h"

#include "resources/control_ids.h"
#include "resources/string_table.h"
#include "resources/templates.h"

namespace {

struct NamedControl {
    int dialog, control;
    std::string_view name;
};

constexpr NamedControl kNames[] = {
    {IDD_VOXLET_DIALOG, ctl::kClipList, "音声リスト"},
    {IDD_VOXLET_DIALOG, ctl::kVolume, "音量"},
    {IDD_VOXLET_DIALOG, ctl::kClipDisplay, "再生中の音声"},
    {IDD_DEFINE_DIALOG, ctl::settings::kInterfaceCombo, "インターフェイス"},
    {IDD_DEFINE_DIALOG, ctl::settings::kIntervalCombo, "再生間隔"},
    {IDD_PLAY_LIST_DIALOG, ctl::playlist::kListCombo, "プレイリスト"},
    {IDD_PLAY_LIST_DIALOG, ctl::playlist::kLines, "プレイリストの行"},
    {IDD_PLAY_LIST_DIALOG, ctl::playlist::kTargetCombo, texts::kPlayListTargetLabel},
    {IDD_PLAY_LIST_DIALOG, ctl::playlist::kClips, "追加する音声"},
};

// The static text whose rectangle spans the control's vertical middle and
// ends left of it, the nearest such.
const platform::ControlTemplate* LabelLeftOf(const platform::DialogTemplate& dialog,
                                             const platform::ControlTemplate& control) {
    const int middle = control.y + control.h / 2;
    const platform::ControlTemplate* best = nullptr;
    for (const auto& c : dialog.controls) {
        if (c.kind != platform::ControlKind::Static || c.label.empty() || c.y > middle ||
            c.y + c.h < middle || c.x + c.w > control.x)
            continue;
        if (!best || c.x + c.w > best->x + best->w)
            best = &c;
    }
    return best;
}

} // namespace

std::string_view AccessibleName(const platform::DialogTemplate& dialog,
                                const platform::ControlTemplate& control) {
    for (const auto& entry : kNames)
        if (entry.dialog == dialog.id && entry.control == control.id)
            return entry.name;
    if (control.label.empty())
        if (const auto* label = LabelLeftOf(dialog, control))
            return label->label;
    return control.label;
}
