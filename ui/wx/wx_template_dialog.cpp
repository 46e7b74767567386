#include "ui/wx/wx_template_dialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>

#include "resources/accessible_names.h"
#include "ui/wx/wx_font.h"
#include "ui/wx/wx_icons.h"
#include "ui/wx/wx_text.h"

using platform::ControlKind;
using platform::ControlTemplate;

namespace voxwx {

namespace {

std::vector<WxTemplateDialog*>& Running() {
    static std::vector<WxTemplateDialog*> running;
    return running;
}

bool IsPushButton(ControlKind kind) {
    return kind == ControlKind::Button || kind == ControlKind::DefButton;
}

bool HasLabel(ControlKind kind) {
    switch (kind) {
    case ControlKind::Button:
    case ControlKind::DefButton:
    case ControlKind::Radio:
    case ControlKind::Check:
    case ControlKind::Group:
    case ControlKind::Static:
        return true;
    default:
        return false;
    }
}

// The size of the program icon in an icon control (Windows sizes SS_ICON
// controls to the icon, whatever the template says).
constexpr int kIconPixels = 32;

// GTK's default theme pads controls for touch-sized layouts; a dialog laid out
// in dialog units needs the compact metrics of the platform it was drawn for.
// Scoped to our dialogs by a style class, so file choosers keep their look.
constexpr const char* kCompactCss = R"css(
.voxlet-dialog button { padding: 0px 4px; min-height: 0px; min-width: 0px; }
.voxlet-dialog radiobutton, .voxlet-dialog checkbutton { padding: 0px; min-height: 0px; }
.voxlet-dialog entry { min-height: 0px; padding-top: 0px; padding-bottom: 0px; }
.voxlet-dialog combobox button { padding-top: 0px; padding-bottom: 0px; }
)css";

void InstallCompactStyle(GtkWidget* dialogWidget) {
    static bool installed = false;
    if (!installed) {
        installed = true;
        GtkCssProvider* provider = gtk_css_provider_new();
        gtk_css_provider_load_from_data(provider, kCompactCss, -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                                  GTK_STYLE_PROVIDER(provider),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        g_object_unref(provider);
    }
    gtk_style_context_add_class(gtk_widget_get_style_context(dialogWidget), "voxlet-dialog");
}

// GTK emits "clicked" for every click on a radio button, also on the one that
// is already checked (as Windows sends BN_CLICKED), and also on the button
// that a click unchecks and for changes made by the program; the dialog
// filters those out.
void OnGtkRadioClicked(GtkButton* button, gpointer data) {
    static_cast<WxTemplateDialog*>(data)->RadioClicked(
        button, gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)) != FALSE);
}

// A control without a label of its own is named for screen readers, on the
// widget that takes the focus (a list's rows, not their scrolled frame) too.
void NameForScreenReaders(wxWindow& window, std::string_view name) {
    if (name.empty())
        return;
    const std::string text(name);
    for (GtkWidget* widget : {window.GetHandle(), window.GetConnectWidget()})
        atk_object_set_name(gtk_widget_get_accessible(widget), text.c_str());
}

// A closed drop-down list as high as its font makes it: measured with a line
// of text chosen (GTK asks an empty text part for no height at all) and
// without the size set before, then left with its items and choice as they
// were. The toolkit reports no choice made by the program.
int ClosedComboHeight(wxChoice& combo) {
    GtkWidget* box = combo.GetHandle();
    const int count = static_cast<int>(combo.GetCount());
    const int chosen = combo.GetSelection();
    combo.Append(wxString::FromUTF8("Agあ"));
    combo.SetSelection(count);
    int width = 0;
    int height = 0;
    gtk_widget_get_size_request(box, &width, &height);
    gtk_widget_set_size_request(box, -1, -1);
    int natural = 0;
    gtk_widget_get_preferred_height(box, nullptr, &natural);
    gtk_widget_set_size_request(box, width, height);
    combo.Delete(static_cast<unsigned>(count));
    combo.SetSelection(chosen);
    return natural;
}

} // namespace

class WxTemplateDialog::Timer final : public wxTimer {
public:
    Timer(WxTemplateDialog& dialog, int id) : m_dialog(dialog), m_id(id) {}
    void Notify() override { m_dialog.OnTimerTick(m_id); }
    int period = -1;

private:
    WxTemplateDialog& m_dialog;
    int m_id;
};

WxTemplateDialog::WxTemplateDialog(wxWindow* parent, platform::ModalDialogLogic& logic,
                                   long extraStyle)
    : m_logic(logic), m_template(logic.Template()) {
    Create(parent, wxID_ANY, ToWx(m_template.caption), wxDefaultPosition, wxDefaultSize,
           wxDEFAULT_DIALOG_STYLE | extraStyle);
    SetFont(DialogFont(m_template.fontName, m_template.fontPoints));
    InstallCompactStyle(GetHandle());
    BuildControls();
    ArrangeControls(true);

    Bind(wxEVT_BUTTON, &WxTemplateDialog::OnButton, this);
    Bind(wxEVT_CHECKBOX, &WxTemplateDialog::OnCheckBox, this);
    Bind(wxEVT_LISTBOX_DCLICK, &WxTemplateDialog::OnListDoubleClick, this);
    Bind(wxEVT_LISTBOX, &WxTemplateDialog::OnListSelection, this);
    Bind(wxEVT_CHOICE, &WxTemplateDialog::OnChoice, this);
    Bind(wxEVT_TEXT, &WxTemplateDialog::OnText, this);
    Bind(wxEVT_SLIDER, &WxTemplateDialog::OnSlider, this);
    Bind(wxEVT_CHAR_HOOK, &WxTemplateDialog::OnCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &WxTemplateDialog::OnClose, this);
    Bind(wxEVT_CONTEXT_MENU, &WxTemplateDialog::OnContextMenu, this);
    Bind(wxEVT_INIT_DIALOG, &WxTemplateDialog::OnInitDialogEvent, this);
}

WxTemplateDialog::~WxTemplateDialog() {
    FinishDialog();
    for (auto& [id, timer] : m_timers)
        timer->Stop();
    auto& running = Running();
    running.erase(std::remove(running.begin(), running.end(), this), running.end());
}

WxTemplateDialog* WxTemplateDialog::Innermost() {
    auto& running = Running();
    return running.empty() ? nullptr : running.back();
}

// ---------------------------------------------------------------- building

void WxTemplateDialog::BuildControls() {
    m_items.reserve(m_template.controls.size());
    for (const ControlTemplate& c : m_template.controls) {
        wxWindow* w = CreateControl(c);
        if (auto* items = dynamic_cast<wxItemContainer*>(w))
            for (std::string_view entry : c.items)
                items->Append(ToWx(entry));
        if (c.flags & platform::kDisabled)
            w->Disable();
        if (c.flags & platform::kHidden)
            w->Hide();
        m_items.push_back({&c, w, std::string(c.label)});
        if (!HasLabel(c.kind))
            NameForScreenReaders(*w, AccessibleName(m_template, c));
    }
    for (const auto& item : m_items) {
        if (item.tpl->kind != ControlKind::Radio)
            continue;
        m_radioWidgets[item.window->GetHandle()] = item.tpl->id;
        g_signal_connect(item.window->GetHandle(), "clicked", G_CALLBACK(OnGtkRadioClicked), this);
    }
}

wxWindow* WxTemplateDialog::CreateControl(const ControlTemplate& c) {
    const wxWindowID wid = c.id > 0 ? c.id : wxID_ANY;
    const wxString label = ToWx(c.label);
    switch (c.kind) {
    case ControlKind::Button:
    case ControlKind::DefButton: {
        auto* button = new wxButton(this, wid, label);
        if (c.kind == ControlKind::DefButton && m_defaultId == 0) {
            m_defaultId = c.id;
            button->SetDefault();
        }
        return button;
    }
    case ControlKind::Radio:
        return CreateRadio(c, wid, label);
    case ControlKind::Check:
        return new wxCheckBox(this, wid, label);
    case ControlKind::Group:
        return new wxStaticBox(this, wid, label);
    case ControlKind::Static:
        return new wxStaticText(
            this, wid, label, wxDefaultPosition, wxDefaultSize,
            wxST_NO_AUTORESIZE |
                ((c.flags & platform::kCentred) ? wxALIGN_CENTRE_HORIZONTAL : wxALIGN_LEFT));
    case ControlKind::List:
        return new wxListBox(this, wid, wxDefaultPosition, wxDefaultSize, 0, nullptr,
                             wxLB_SINGLE | ((c.flags & platform::kVScroll) ? wxLB_NEEDED_SB : 0));
    case ControlKind::Edit: {
        long style = 0;
        if (c.flags & platform::kReadOnly)
            style |= wxTE_READONLY;
        if (c.flags & platform::kCentred)
            style |= wxTE_CENTRE;
        return new wxTextCtrl(this, wid, label, wxDefaultPosition, wxDefaultSize, style);
    }
    case ControlKind::Trackbar: {
        // Range 0..100 as a new trackbar has; the minimum at the top of a
        // vertical one (GTK's default, as on Windows). No value labels.
        auto* slider =
            new wxSlider(this, wid, 0, 0, 100, wxDefaultPosition, wxDefaultSize,
                         ((c.flags & platform::kVertical) ? wxSL_VERTICAL : wxSL_HORIZONTAL) |
                             wxSL_AUTOTICKS | wxSL_BOTH);
        // A trackbar's channel is not filled up to the thumb.
        gtk_scale_set_has_origin(GTK_SCALE(slider->GetHandle()), FALSE);
        return slider;
    }
    case ControlKind::Combo:
        return new wxChoice(this, wid);
    case ControlKind::Icon:
        return new wxStaticBitmap(this, wxID_ANY, ProgramIconBitmap(kIconPixels));
    }
    return nullptr;
}

wxWindow* WxTemplateDialog::CreateRadio(const ControlTemplate& c, wxWindowID wid,
                                        const wxString& label) {
    // wx joins a radio to the group of the radio created before it; a radio
    // that begins its template group begins a wx group.
    const auto group = platform::RadioGroupSpan(m_template, c.id);
    const ControlTemplate* first = nullptr;
    const ControlTemplate* last = nullptr;
    for (const auto& member : group) {
        if (member.kind != ControlKind::Radio)
            continue;
        if (!first)
            first = &member;
        last = &member;
    }
    auto* radio = new wxRadioButton(this, wid, label, wxDefaultPosition, wxDefaultSize,
                                    first == &c ? wxRB_GROUP : 0);
    if (last == &c && first) {
        // A hidden spare closes the group: checking it stands for "no radio
        // checked", which a Windows radio group can be in and a GTK one cannot.
        auto* spare = new wxRadioButton(this, wxID_ANY, wxString());
        spare->Hide();
        spare->SetValue(true);
        m_radioSpares[first->id] = spare;
    }
    return radio;
}

wxRect WxTemplateDialog::PixelRect(const ControlTemplate& c, double sx, double sy) const {
    const wxPoint topLeft = ConvertDialogToPixels(wxPoint(c.x, c.y));
    const wxPoint bottomRight = ConvertDialogToPixels(wxPoint(c.x + c.w, c.y + c.h));
    const int left = static_cast<int>(std::lround(topLeft.x * sx));
    const int top = static_cast<int>(std::lround(topLeft.y * sy));
    const int right = static_cast<int>(std::lround(bottomRight.x * sx));
    const int bottom = static_cast<int>(std::lround(bottomRight.y * sy));
    return wxRect(left, top, std::max(right - left, 1), std::max(bottom - top, 1));
}

// How much wider (needX) and taller (needY) than its template rectangle a
// control must be for its label to show whole; 1 when it fits.
bool WxTemplateDialog::NeedsMoreRoom(const Item& item, double& needX, double& needY) const {
    needX = needY = 1.0;
    const ControlTemplate& c = *item.tpl;
    const wxRect base = PixelRect(c, 1.0, 1.0);
    wxSize want(0, 0);
    switch (c.kind) {
    case ControlKind::Button:
    case ControlKind::DefButton:
    case ControlKind::Radio:
    case ControlKind::Check:
    case ControlKind::Static:
        item.window->InvalidateBestSize();
        want = item.window->GetBestSize();
        break;
    case ControlKind::Group:
        if (!item.text.empty()) {
            // The frame's label starts a little inside its left edge.
            want.x = item.window->GetTextExtent(wxControl::RemoveMnemonics(ToWx(item.text))).x +
                     item.window->GetCharHeight();
        }
        break;
    case ControlKind::Trackbar:
        item.window->InvalidateBestSize();
        if (c.flags & platform::kVertical)
            want.x = item.window->GetBestSize().x;
        else
            want.y = item.window->GetBestSize().y;
        break;
    case ControlKind::Edit:
        item.window->InvalidateBestSize();
        want.y = item.window->GetBestSize().y;
        break;
    default:
        break;
    }
    if (want.x > base.width)
        needX = (want.x + 1.0) / base.width;
    if (want.y > base.height)
        needY = (want.y + 1.0) / base.height;
    return needX > 1.0 || needY > 1.0;
}

void WxTemplateDialog::ArrangeControls(bool grow) {
    if (grow) {
        for (const auto& item : m_items) {
            double nx = 1.0;
            double ny = 1.0;
            NeedsMoreRoom(item, nx, ny);
            m_scaleX = std::max(m_scaleX, nx);
            m_scaleY = std::max(m_scaleY, ny);
        }
    }
    for (const auto& item : m_items) {
        wxRect r = PixelRect(*item.tpl, m_scaleX, m_scaleY);
        switch (item.tpl->kind) {
        case ControlKind::Combo:
            // A drop-down list's template height is its dropped height; the
            // closed box is as high as the font makes it.
            r.height = ClosedComboHeight(*static_cast<wxChoice*>(item.window));
            break;
        case ControlKind::Icon:
            r.width = r.height = kIconPixels;
            break;
        default:
            break;
        }
        item.window->SetSize(r);
    }
    const wxSize client = ConvertDialogToPixels(wxSize(m_template.w, m_template.h));
    SetClientSize(static_cast<int>(std::lround(client.x * m_scaleX)),
                  static_cast<int>(std::lround(client.y * m_scaleY)));
}

// ---------------------------------------------------------------- lookup

WxTemplateDialog::Item* WxTemplateDialog::Find(int id) {
    if (id < 0)
        return nullptr;
    for (auto& item : m_items)
        if (item.tpl->id == id)
            return &item;
    return nullptr;
}

const WxTemplateDialog::Item* WxTemplateDialog::Find(int id) const {
    return const_cast<WxTemplateDialog*>(this)->Find(id);
}

WxTemplateDialog::Item* WxTemplateDialog::ItemOf(const wxObject* window) {
    if (!window)
        return nullptr;
    for (auto& item : m_items)
        if (item.window == window)
            return &item;
    return nullptr;
}

wxWindow* WxTemplateDialog::Control(int id) const {
    const Item* item = Find(id);
    return item ? item->window : nullptr;
}

wxWindow* WxTemplateDialog::RadioGroupSpare(int id) const {
    for (const auto& member : platform::RadioGroupSpan(m_template, id)) {
        if (member.kind != ControlKind::Radio)
            continue;
        auto it = m_radioSpares.find(member.id);
        return it == m_radioSpares.end() ? nullptr : it->second;
    }
    return nullptr;
}

// ---------------------------------------------------------------- DialogHost

void WxTemplateDialog::SetItemText(int id, std::string_view text) {
    Item* item = Find(id);
    if (!item)
        return;
    item->text = std::string(text);
    const ControlKind kind = item->tpl->kind;
    if (kind == ControlKind::Edit) {
        static_cast<wxTextCtrl*>(item->window)->ChangeValue(ToWx(text));
        return;
    }
    if (!HasLabel(kind))
        return;
    item->window->SetLabel(ToWx(text));
    double nx = 1.0;
    double ny = 1.0;
    if (NeedsMoreRoom(*item, nx, ny) && (nx > m_scaleX || ny > m_scaleY))
        ArrangeControls(true);
}

std::string WxTemplateDialog::GetItemText(int id) const {
    const Item* item = Find(id);
    if (!item)
        return {};
    if (item->tpl->kind == ControlKind::Edit)
        return ToUtf8(static_cast<wxTextCtrl*>(item->window)->GetValue());
    return item->text;
}

void WxTemplateDialog::EnableItem(int id, bool enable) {
    if (Item* item = Find(id))
        item->window->Enable(enable);
}

bool WxTemplateDialog::IsItemEnabled(int id) const {
    const Item* item = Find(id);
    return item && item->window->IsThisEnabled();
}

void WxTemplateDialog::ShowItem(int id, bool show) {
    if (Item* item = Find(id))
        item->window->Show(show);
}

bool WxTemplateDialog::IsItemVisible(int id) const {
    const Item* item = Find(id);
    return item && item->window->IsShown();
}

void WxTemplateDialog::CheckItem(int id, bool checked) {
    Item* item = Find(id);
    if (!item)
        return;
    if (item->tpl->kind == ControlKind::Check) {
        static_cast<wxCheckBox*>(item->window)->SetValue(checked);
        return;
    }
    if (item->tpl->kind != ControlKind::Radio)
        return;
    auto* radio = static_cast<wxRadioButton*>(item->window);
    ++m_settingRadio;
    if (checked) {
        radio->SetValue(true);
    } else if (radio->GetValue()) {
        if (auto* spare = static_cast<wxRadioButton*>(RadioGroupSpare(id)))
            spare->SetValue(true);
    }
    --m_settingRadio;
}

bool WxTemplateDialog::IsItemChecked(int id) const {
    const Item* item = Find(id);
    if (!item)
        return false;
    if (item->tpl->kind == ControlKind::Radio)
        return static_cast<wxRadioButton*>(item->window)->GetValue();
    if (item->tpl->kind == ControlKind::Check)
        return static_cast<wxCheckBox*>(item->window)->GetValue();
    return false;
}

namespace {
template <class T> T* As(const WxTemplateDialog& dlg, int id, ControlKind kind) {
    wxWindow* w = dlg.Control(id);
    const ControlTemplate* c = dlg.Template().Find(id);
    return (w && c && c->kind == kind) ? static_cast<T*>(w) : nullptr;
}

bool InRange(int index, unsigned count) {
    return index >= 0 && static_cast<unsigned>(index) < count;
}
} // namespace

void WxTemplateDialog::ListReset(int id) {
    if (auto* list = As<wxListBox>(*this, id, ControlKind::List))
        list->Clear();
}

int WxTemplateDialog::ListAdd(int id, std::string_view text) {
    auto* list = As<wxListBox>(*this, id, ControlKind::List);
    return list ? list->Append(ToWx(text)) : -1;
}

void WxTemplateDialog::ListAddAll(int id, const std::vector<std::string_view>& texts) {
    auto* list = As<wxListBox>(*this, id, ControlKind::List);
    if (!list)
        return;
    wxArrayString items;
    items.reserve(texts.size());
    for (const auto text : texts)
        items.push_back(ToWx(text));
    // One insertion and one repaint for the whole batch.
    list->Freeze();
    list->Append(items);
    list->Thaw();
}

int WxTemplateDialog::ListCount(int id) const {
    auto* list = As<wxListBox>(*this, id, ControlKind::List);
    return list ? static_cast<int>(list->GetCount()) : 0;
}

int WxTemplateDialog::ListGetSel(int id) const {
    auto* list = As<wxListBox>(*this, id, ControlKind::List);
    return list ? list->GetSelection() : -1;
}

void WxTemplateDialog::ListSetSel(int id, int index) {
    auto* list = As<wxListBox>(*this, id, ControlKind::List);
    if (!list)
        return;
    if (InRange(index, list->GetCount())) {
        list->SetSelection(index);
        list->EnsureVisible(index);
    } else {
        list->SetSelection(wxNOT_FOUND);
    }
}

std::string WxTemplateDialog::ListGetText(int id, int index) const {
    auto* list = As<wxListBox>(*this, id, ControlKind::List);
    if (!list || !InRange(index, list->GetCount()))
        return {};
    return ToUtf8(list->GetString(static_cast<unsigned>(index)));
}

void WxTemplateDialog::TrackSetTicFreq(int id, int freq) {
    auto* slider = As<wxSlider>(*this, id, ControlKind::Trackbar);
    if (!slider || freq <= 0)
        return;
    slider->SetTickFreq(freq);
    // wx draws the marks on one side; the trackbar has them on both.
    GtkScale* scale = GTK_SCALE(slider->GetHandle());
    const bool vertical = slider->HasFlag(wxSL_VERTICAL);
    for (int value = slider->GetMin(); value <= slider->GetMax(); value += freq)
        gtk_scale_add_mark(scale, value, vertical ? GTK_POS_LEFT : GTK_POS_TOP, nullptr);
    for (int value : {slider->GetMin(), slider->GetMax()}) // wx leaves out the ends
        gtk_scale_add_mark(scale, value, vertical ? GTK_POS_RIGHT : GTK_POS_BOTTOM, nullptr);
}

void WxTemplateDialog::TrackSetPos(int id, int pos) {
    if (auto* slider = As<wxSlider>(*this, id, ControlKind::Trackbar))
        slider->SetValue(std::clamp(pos, slider->GetMin(), slider->GetMax()));
}

int WxTemplateDialog::TrackGetPos(int id) const {
    auto* slider = As<wxSlider>(*this, id, ControlKind::Trackbar);
    return slider ? slider->GetValue() : 0;
}

void WxTemplateDialog::ComboReset(int id) {
    if (auto* combo = As<wxChoice>(*this, id, ControlKind::Combo))
        combo->Clear();
}

int WxTemplateDialog::ComboAdd(int id, std::string_view text) {
    auto* combo = As<wxChoice>(*this, id, ControlKind::Combo);
    return combo ? combo->Append(ToWx(text)) : -1;
}

int WxTemplateDialog::ComboCount(int id) const {
    auto* combo = As<wxChoice>(*this, id, ControlKind::Combo);
    return combo ? static_cast<int>(combo->GetCount()) : 0;
}

int WxTemplateDialog::ComboGetSel(int id) const {
    auto* combo = As<wxChoice>(*this, id, ControlKind::Combo);
    return combo ? combo->GetSelection() : -1;
}

void WxTemplateDialog::ComboSetSel(int id, int index) {
    auto* combo = As<wxChoice>(*this, id, ControlKind::Combo);
    if (!combo)
        return;
    combo->SetSelection(InRange(index, combo->GetCount()) ? index : wxNOT_FOUND);
}

std::string WxTemplateDialog::ComboGetText(int id) const {
    auto* combo = As<wxChoice>(*this, id, ControlKind::Combo);
    if (!combo)
        return {};
    const int sel = combo->GetSelection();
    return InRange(sel, combo->GetCount()) ? ToUtf8(combo->GetString(static_cast<unsigned>(sel)))
                                           : std::string();
}

// Windows raises periods below USER_TIMER_MINIMUM to it.
constexpr int kMinimumTimerPeriod = 10;

void WxTemplateDialog::SetTimer(int timerId, int periodMs) {
    auto& timer = m_timers[timerId];
    if (!timer)
        timer = std::make_unique<Timer>(*this, timerId);
    timer->period = periodMs;
    timer->Start(std::max(periodMs, kMinimumTimerPeriod), wxTIMER_CONTINUOUS);
}

void WxTemplateDialog::KillTimer(int timerId) {
    auto it = m_timers.find(timerId);
    if (it != m_timers.end())
        it->second->Stop();
}

int WxTemplateDialog::TimerPeriod(int timerId) const {
    auto it = m_timers.find(timerId);
    if (it == m_timers.end() || !it->second->IsRunning())
        return -1;
    return it->second->period;
}

void WxTemplateDialog::OnTimerTick(int timerId) {
    if (m_ended)
        return;
    m_logic.OnTimer(*this, timerId);
}

void WxTemplateDialog::EndDialog(int result) {
    if (m_ended)
        return;
    m_ended = true;
    m_result = result;
    for (auto& [id, timer] : m_timers)
        timer->Stop();
    if (IsModal())
        EndModal(result);
    else if (IsShown())
        Hide();
}

void WxTemplateDialog::PostClose() {
    CallAfter([this] { CloseRequest(); });
}

void WxTemplateDialog::AppendSystemMenuItem(int command, std::string_view text, char shortcut) {
    m_systemMenu.emplace_back(command, std::string(text));
    if (shortcut)
        m_shortcuts[shortcut] = command;
}

void* WxTemplateDialog::NativeHandle() const {
    return GetHandle();
}

void WxTemplateDialog::BeginBusy() {
    wxBeginBusyCursor();
    Refresh();
    Update();
}

void WxTemplateDialog::EndBusy() {
    wxEndBusyCursor();
}

// ---------------------------------------------------------------- life cycle

void WxTemplateDialog::StartDialog() {
    if (m_started)
        return;
    m_started = true;
    Running().push_back(this);
    m_logic.OnInitDialog(*this);
    for (const auto& item : m_items) {
        if ((item.tpl->flags & platform::kTabStop) && item.window->IsThisEnabled() &&
            item.window->IsShown()) {
            m_initialFocus = item.window;
            break;
        }
    }
    if (m_initialFocus)
        m_initialFocus->SetFocus();
}

int WxTemplateDialog::RunModal() {
    StartDialog();
    if (!m_ended) {
        if (GetParent())
            CentreOnParent();
        else
            Centre();
        const int rc = ShowModal();
        if (!m_ended) {
            // A test hook answered for the dialog without showing it.
            m_ended = true;
            m_result = rc;
        }
    }
    FinishDialog();
    return m_result;
}

void WxTemplateDialog::ShowModeless() {
    StartDialog();
    if (m_ended)
        return;
    Show();
    if (m_initialFocus)
        m_initialFocus->SetFocus();
}

void WxTemplateDialog::FinishDialog() {
    if (m_finished)
        return;
    m_finished = true;
    m_ended = true; // nothing reaches the logic any more (posted closes, ticks)
    for (auto& [id, timer] : m_timers)
        timer->Stop();
    m_logic.OnDestroy(*this);
    auto& running = Running();
    running.erase(std::remove(running.begin(), running.end(), this), running.end());
}

void WxTemplateDialog::OnInitDialogEvent(wxInitDialogEvent& event) {
    if (m_initialFocus)
        m_initialFocus->SetFocus();
    // Safety net: an end requested before the modal loop ran ends it at once.
    CallAfter([this] {
        if (m_ended && IsModal())
            EndModal(m_result);
    });
    event.Skip();
}

// ---------------------------------------------------------------- events

void WxTemplateDialog::Route(int id, int notification) {
    if (m_ended)
        return;
    m_logic.OnCommand(*this, id, notification);
}

void WxTemplateDialog::CloseRequest() {
    if (m_ended)
        return;
    // As the dialog manager: nothing happens while a Cancel button is disabled.
    if (const Item* cancel = Find(platform::kIdCancel);
        cancel && !cancel->window->IsThisEnabled()) {
        wxBell();
        return;
    }
    Route(platform::kIdCancel, platform::kNotifyClicked);
}

void WxTemplateDialog::RadioClicked(void* widget, bool active) {
    if (m_settingRadio > 0 || !active)
        return;
    auto it = m_radioWidgets.find(widget);
    if (it != m_radioWidgets.end())
        Route(it->second, platform::kNotifyClicked);
}

void WxTemplateDialog::OnButton(wxCommandEvent& event) {
    const Item* item = ItemOf(event.GetEventObject());
    if (!item || !IsPushButton(item->tpl->kind)) {
        event.Skip();
        return;
    }
    Route(item->tpl->id, platform::kNotifyClicked);
}

void WxTemplateDialog::OnCheckBox(wxCommandEvent& event) {
    const Item* item = ItemOf(event.GetEventObject());
    if (!item) {
        event.Skip();
        return;
    }
    Route(item->tpl->id, platform::kNotifyClicked);
}

void WxTemplateDialog::OnListDoubleClick(wxCommandEvent& event) {
    const Item* item = ItemOf(event.GetEventObject());
    if (!item) {
        event.Skip();
        return;
    }
    // GTK activates a row on Enter or Space too; a Windows list box sends
    // kNotifyDoubleClick for a double-click only (Enter goes to the default button).
    if (GdkEvent* current = gtk_get_current_event()) {
        const bool fromKey = current->type == GDK_KEY_PRESS || current->type == GDK_KEY_RELEASE;
        gdk_event_free(current);
        if (fromKey)
            return;
    }
    if (item->tpl->flags & platform::kNotify)
        Route(item->tpl->id, platform::kNotifyDoubleClick);
}

void WxTemplateDialog::OnListSelection(wxCommandEvent& event) {
    // The toolkit reports the user's selections only, as LBN_SELCHANGE does.
    const Item* item = ItemOf(event.GetEventObject());
    if (!item) {
        event.Skip();
        return;
    }
    if (item->tpl->flags & platform::kNotify)
        Route(item->tpl->id, platform::kNotifySelChange);
}

void WxTemplateDialog::OnChoice(wxCommandEvent& event) {
    const Item* item = ItemOf(event.GetEventObject());
    if (!item) {
        event.Skip();
        return;
    }
    Route(item->tpl->id, platform::kNotifySelChange);
}

void WxTemplateDialog::OnText(wxCommandEvent& event) {
    // Typing only: the logic's own changes go through ChangeValue, which is silent.
    const Item* item = ItemOf(event.GetEventObject());
    if (!item || item->tpl->kind != ControlKind::Edit || m_ended) {
        event.Skip();
        return;
    }
    Route(item->tpl->id, platform::kNotifyEditChange);
}

void WxTemplateDialog::OnSlider(wxCommandEvent& event) {
    const Item* item = ItemOf(event.GetEventObject());
    if (!item) {
        event.Skip();
        return;
    }
    // WM_VSCROLL comes from vertical trackbars only.
    if ((item->tpl->flags & platform::kVertical) && !m_ended)
        m_logic.OnVScroll(*this);
}

void WxTemplateDialog::OnCharHook(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (event.GetModifiers() == wxMOD_CONTROL) {
        if (const auto shortcut = m_shortcuts.find(key); shortcut != m_shortcuts.end()) {
            SystemCommand(shortcut->second);
            return;
        }
    }
    if (event.HasAnyModifiers()) {
        event.Skip();
        return;
    }
    const Item* focus = ItemOf(FindFocus());
    if (focus && (focus->tpl->flags & platform::kWantsKeys) &&
        (key == WXK_ESCAPE || key == WXK_RETURN || key == WXK_NUMPAD_ENTER)) {
        Route(focus->tpl->id,
              key == WXK_ESCAPE ? platform::kNotifyEscapeKey : platform::kNotifyEnterKey);
        return;
    }
    switch (key) {
    case WXK_ESCAPE:
        CloseRequest();
        return;
    case WXK_F1:
        // The first system-menu item the logic added (the main dialog's about
        // item), which users look for under F1.
        if (!m_systemMenu.empty()) {
            SystemCommand(m_systemMenu.front().first);
            return;
        }
        event.Skip();
        return;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER: {
        // A focused push button takes Enter itself (the toolkit clicks it).
        if (focus && IsPushButton(focus->tpl->kind)) {
            event.Skip();
            return;
        }
        const int id = m_defaultId ? m_defaultId : platform::kIdOk;
        if (const Item* def = Find(id);
            def && (!def->window->IsThisEnabled() || !def->window->IsShown())) {
            wxBell();
            return;
        }
        Route(id, platform::kNotifyClicked);
        return;
    }
    case WXK_SPACE:
    case WXK_NUMPAD_SPACE:
        // A list box takes no action on Space (GTK would activate the row).
        if (focus && focus->tpl->kind == ControlKind::List)
            return;
        break;
    default:
        break;
    }
    event.Skip();
}

void WxTemplateDialog::OnClose(wxCloseEvent& event) {
    if (!m_ended)
        CloseRequest();
    if (m_ended || !event.CanVeto()) {
        EndDialog(m_ended ? m_result : platform::kIdCancel);
        return;
    }
    event.Veto();
}

void WxTemplateDialog::SystemCommand(int command) {
    if (!m_ended)
        m_logic.OnSysCommand(*this, command);
}

void WxTemplateDialog::OnContextMenu(wxContextMenuEvent& event) {
    bool background = event.GetEventObject() == this;
    if (const Item* item = ItemOf(event.GetEventObject())) {
        const ControlKind kind = item->tpl->kind;
        background =
            kind == ControlKind::Static || kind == ControlKind::Group || kind == ControlKind::Icon;
    }
    if (!background || m_systemMenu.empty()) {
        event.Skip();
        return;
    }
    wxMenu menu;
    for (const auto& [command, text] : m_systemMenu) {
        wxString label = ToWx(text);
        for (const auto& [key, shortcut] : m_shortcuts)
            if (shortcut == command)
                label += wxString::Format("\tCtrl+%c", key);
        menu.Append(command, label);
    }
    wxPoint at = event.GetPosition();
    if (at != wxDefaultPosition)
        at = ScreenToClient(at);
    const int chosen = GetPopupMenuSelectionFromUser(menu, at);
    if (chosen != wxID_NONE)
        SystemCommand(chosen);
}

} // namespace voxwx
