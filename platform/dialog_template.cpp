#include "platform/dialog_template.h"

namespace platform {

std::span<const ControlTemplate> RadioGroupSpan(const DialogTemplate& t, int id) {
    const auto& cs = t.controls;
    std::size_t at = cs.size();
    for (std::size_t i = 0; i < cs.size(); ++i)
        if (cs[i].id == id && cs[i].kind == ControlKind::Radio)
            at = i;
    if (at == cs.size())
        return {};
    std::size_t first = at;
    while (first > 0 && !(cs[first].flags & kStartsGroup))
        --first;
    std::size_t last = at + 1;
    while (last < cs.size() && !(cs[last].flags & kStartsGroup))
        ++last;
    return cs.subspan(first, last - first);
}

} // namespace platform
