// A dialog described as data: its controls with ids, kinds, rectangles in
// dialog units, initial states and labels. Every host (the toolkit window and
// the headless one) builds its controls from the same table.
#pragma once

#include <span>
#include <string_view>

namespace platform {

enum class ControlKind {
    Button,
    DefButton,
    Radio,
    Check,
    Group,
    Static,
    List,
    Edit,
    Trackbar,
    Combo,
    Icon
};

// Initial-state flags of a control.
enum ControlFlags : unsigned {
    kNone = 0,
    kDisabled = 1u << 0,
    kHidden = 1u << 1,
    kStartsGroup = 1u << 2, // begins a tab/radio group
    kTabStop = 1u << 3,
    kCentred = 1u << 4,  // centred text (statics, edits)
    kReadOnly = 1u << 5, // edit box
    kVScroll = 1u << 6,  // list or combo with a vertical scroll bar
    kBorder = 1u << 7,
    kNotify = 1u << 8,   // list box notifies its parent
    kVertical = 1u << 9, // trackbar
    // Edit box that takes Enter and Esc itself: they reach the logic as
    // kNotifyEnterKey and kNotifyEscapeKey, not as the default button and Cancel.
    kWantsKeys = 1u << 10,
};

struct ControlTemplate {
    int id; // -1 for a control without an id
    ControlKind kind;
    int x, y, w, h; // dialog units
    unsigned flags;
    std::string_view label;
    // Initial items of a combo box, in order (none for other controls).
    std::span<const std::string_view> items = {};
};

struct DialogTemplate {
    int id;
    std::string_view caption;
    int w, h; // dialog units
    std::string_view fontName;
    int fontPoints;
    std::span<const ControlTemplate> controls;

    const ControlTemplate* Find(int controlId) const {
        for (const auto& c : controls)
            if (c.id == controlId)
                return &c;
        return nullptr;
    }
};

// The controls of the group that holds radio `id`, in template order: from the
// control that starts the group up to the next one that does. Radio-group
// exchange counts only the radio buttons among them. Empty when `id` is not a
// radio of the template.
std::span<const ControlTemplate> RadioGroupSpan(const DialogTemplate& t, int id);

} // namespace platform
