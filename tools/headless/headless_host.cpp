#include "tools/headless/headless_host.h"

#include <algorithm>

namespace platform {

std::string EscapeLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c != '\r')
            out += c;
    }
    return out;
}

HeadlessDialogHost::HeadlessDialogHost(const DialogTemplate& dialogTemplate, Log log)
    : m_template(dialogTemplate), m_log(std::move(log)) {
    m_controls.reserve(m_template.controls.size());
    for (const auto& t : m_template.controls) {
        Control c;
        c.tpl = &t;
        c.text = std::string(t.label);
        c.enabled = !(t.flags & kDisabled);
        c.visible = !(t.flags & kHidden);
        for (auto item : t.items)
            c.items.emplace_back(item);
        m_controls.push_back(std::move(c));
    }
}

HeadlessDialogHost::Control* HeadlessDialogHost::Find(int id) {
    if (id < 0)
        return nullptr;
    for (auto& c : m_controls)
        if (c.tpl->id == id)
            return &c;
    return nullptr;
}

const HeadlessDialogHost::Control* HeadlessDialogHost::Find(int id) const {
    return const_cast<HeadlessDialogHost*>(this)->Find(id);
}

void HeadlessDialogHost::SetItemText(int id, std::string_view text) {
    if (auto* c = Find(id))
        c->text = std::string(text);
}

std::string HeadlessDialogHost::GetItemText(int id) const {
    const auto* c = Find(id);
    return c ? c->text : std::string();
}

void HeadlessDialogHost::EnableItem(int id, bool enable) {
    if (auto* c = Find(id))
        c->enabled = enable;
}

bool HeadlessDialogHost::IsItemEnabled(int id) const {
    const auto* c = Find(id);
    return c && c->enabled;
}

void HeadlessDialogHost::ShowItem(int id, bool show) {
    if (auto* c = Find(id))
        c->visible = show;
}

bool HeadlessDialogHost::IsItemVisible(int id) const {
    const auto* c = Find(id);
    return c && c->visible;
}

void HeadlessDialogHost::CheckItem(int id, bool checked) {
    if (auto* c = Find(id))
        c->checked = checked;
}

bool HeadlessDialogHost::IsItemChecked(int id) const {
    const auto* c = Find(id);
    return c && c->checked;
}

void HeadlessDialogHost::ListReset(int id) {
    if (auto* c = Find(id)) {
        c->items.clear();
        c->sel = -1;
    }
}

int HeadlessDialogHost::ListAdd(int id, std::string_view text) {
    auto* c = Find(id);
    if (!c)
        return -1;
    c->items.emplace_back(text);
    return static_cast<int>(c->items.size()) - 1;
}

int HeadlessDialogHost::ListCount(int id) const {
    const auto* c = Find(id);
    return c ? static_cast<int>(c->items.size()) : 0;
}

int HeadlessDialogHost::ListGetSel(int id) const {
    const auto* c = Find(id);
    return c ? c->sel : -1;
}

void HeadlessDialogHost::ListSetSel(int id, int index) {
    if (auto* c = Find(id))
        c->sel = (index >= 0 && index < static_cast<int>(c->items.size())) ? index : -1;
}

std::string HeadlessDialogHost::ListGetText(int id, int index) const {
    const auto* c = Find(id);
    if (!c || index < 0 || index >= static_cast<int>(c->items.size()))
        return {};
    return c->items[static_cast<std::size_t>(index)];
}

void HeadlessDialogHost::TrackSetTicFreq(int id, int freq) {
    if (auto* c = Find(id))
        c->ticFreq = freq;
}

int HeadlessDialogHost::TrackTicFreq(int id) const {
    const auto* c = Find(id);
    return c ? c->ticFreq : 0;
}

void HeadlessDialogHost::TrackSetPos(int id, int pos) {
    if (auto* c = Find(id))
        c->pos = std::clamp(pos, 0, 100);
}

int HeadlessDialogHost::TrackGetPos(int id) const {
    const auto* c = Find(id);
    return c ? c->pos : 0;
}

void HeadlessDialogHost::ComboReset(int id) {
    ListReset(id);
}
int HeadlessDialogHost::ComboAdd(int id, std::string_view text) {
    return ListAdd(id, text);
}
int HeadlessDialogHost::ComboCount(int id) const {
    return ListCount(id);
}
int HeadlessDialogHost::ComboGetSel(int id) const {
    return ListGetSel(id);
}
void HeadlessDialogHost::ComboSetSel(int id, int index) {
    ListSetSel(id, index);
}

std::string HeadlessDialogHost::ComboGetText(int id) const {
    return ListGetText(id, ComboGetSel(id));
}

void HeadlessDialogHost::SetTimer(int timerId, int periodMs) {
    m_timers[timerId] = periodMs;
    m_killed.erase(timerId);
    m_log("timer set " + std::to_string(timerId) + " " + std::to_string(periodMs));
}

// A timer killed again before it is set again logs its kill once: the
// repeat changes nothing, and how often the player makes sure its timer is
// stopped is not part of what it does.
void HeadlessDialogHost::KillTimer(int timerId) {
    m_timers.erase(timerId);
    if (m_killed.insert(timerId).second)
        m_log("timer kill " + std::to_string(timerId));
}

int HeadlessDialogHost::TimerPeriod(int timerId) const {
    auto it = m_timers.find(timerId);
    return it == m_timers.end() ? -1 : it->second;
}

void HeadlessDialogHost::EndDialog(int result) {
    if (m_ended)
        return;
    m_ended = true;
    m_result = result;
    m_timers.clear();
}

void HeadlessDialogHost::PostClose() {
    m_closePosted = true;
    m_log("post close");
}

bool HeadlessDialogHost::TakeCloseRequest() {
    bool posted = m_closePosted;
    m_closePosted = false;
    return posted;
}

bool HeadlessDialogHost::UserCanUse(int id) const {
    const auto* c = Find(id);
    return c && c->enabled && c->visible;
}

bool HeadlessDialogHost::UserClick(int id) {
    if (!UserCanUse(id))
        return false;
    Control* c = Find(id);
    switch (c->tpl->kind) {
    case ControlKind::Radio:
        for (const auto& member : RadioGroupSpan(m_template, id))
            if (member.kind == ControlKind::Radio)
                CheckItem(member.id, member.id == id);
        break;
    case ControlKind::Check:
        c->checked = !c->checked;
        break;
    default:
        break;
    }
    return true;
}

static const char* KindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Button:
    case ControlKind::DefButton:
        return "button";
    case ControlKind::Radio:
        return "radio";
    case ControlKind::Check:
        return "check";
    case ControlKind::Group:
        return "group";
    case ControlKind::Static:
    case ControlKind::Icon:
        return "static";
    case ControlKind::List:
        return "list";
    case ControlKind::Edit:
        return "edit";
    case ControlKind::Trackbar:
        return "trackbar";
    case ControlKind::Combo:
        return "combo";
    }
    return "static";
}

void HeadlessDialogHost::PrintState(std::ostream& out) const {
    out << "state\n";
    for (const auto& c : m_controls) {
        const auto kind = c.tpl->kind;
        std::string text = c.text;
        if (kind == ControlKind::List)
            text.clear();
        else if (kind == ControlKind::Trackbar)
            text = std::to_string(c.pos);
        else if (kind == ControlKind::Combo)
            text = ComboGetText(c.tpl->id);
        out << "  " << (c.tpl->id < 0 ? std::string("-") : std::to_string(c.tpl->id)) << ' '
            << KindName(kind) << " \"" << EscapeLineBreaks(text) << '"';
        if (!c.enabled)
            out << " disabled";
        if (!c.visible)
            out << " hidden";
        if (c.checked)
            out << " checked";
        out << '\n';
        if (kind == ControlKind::List || kind == ControlKind::Combo) {
            for (std::size_t i = 0; i < c.items.size(); ++i) {
                out << "    " << i << " \"" << EscapeLineBreaks(c.items[i]) << '"';
                if (static_cast<int>(i) == c.sel)
                    out << " *";
                out << '\n';
            }
        }
    }
    auto it = m_timers.find(1);
    if (it == m_timers.end())
        out << "  timer off\n";
    else
        out << "  timer 1 " << it->second << '\n';
    out << "end\n";
}

} // namespace platform
