#include "ui/win32/win32_dialog.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/win32/wide.h"
#include "resources/accessible_names.h"
#include "resources/templates.h"
#include "ui/win32/win32_accessible_names.h"
#include "ui/win32/win32_dialog_template.h"

using platform::ControlKind;
using platform::ControlTemplate;

namespace voxwin {

using platform::win32::Narrow;
using platform::win32::Widen;

namespace {

std::vector<Win32Dialog*>& Running() {
    static std::vector<Win32Dialog*> running;
    return running;
}

constexpr int kTrackMin = 0;
constexpr int kTrackMax = 100;

bool InRange(int index, LRESULT count) {
    return index >= 0 && index < count;
}

std::string WindowText(HWND window) {
    if (!window)
        return {};
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

} // namespace

Win32Dialog::Win32Dialog(platform::ModalDialogLogic& logic, bool mainWindow)
    : m_logic(logic), m_template(logic.Template()), m_mainWindow(mainWindow) {}

HWND Win32Dialog::Innermost() {
    auto& running = Running();
    return running.empty() ? nullptr : static_cast<HWND>(running.back()->NativeHandle());
}

int Win32Dialog::RunModal() {
    // The trackbar's window class (and, with the manifest, the version-6 look).
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)registered;
    const std::vector<std::uint16_t> words =
        BuildDialogTemplate(m_template, m_mainWindow ? WS_MINIMIZEBOX : 0);
    const INT_PTR rc = DialogBoxIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), Innermost(),
        &Win32Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
    for (HICON icon : m_icons)
        DestroyIcon(icon);
    m_icons.clear();
    if (rc == -1 || !m_finished)
        return platform::kIdCancel;
    return m_result;
}

INT_PTR CALLBACK Win32Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        auto* self = reinterpret_cast<Win32Dialog*>(lParam);
        self->m_hwnd = hwnd;
    }
    auto* self = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return self ? self->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR Win32Dialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitDialog();
        return TRUE; // the dialog manager focuses the first tab stop
    case WM_COMMAND:
        Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_CLOSE:
        CloseRequest();
        return TRUE;
    case WM_TIMER:
        if (!m_ended)
            m_logic.OnTimer(*this, static_cast<int>(wParam));
        return TRUE;
    case WM_VSCROLL: {
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        const ControlTemplate* c = m_template.Find(id);
        if (c && c->kind == ControlKind::Trackbar && (c->flags & platform::kVertical) && !m_ended)
            m_logic.OnVScroll(*this);
        return TRUE;
    }
    case WM_SYSCOMMAND: {
        const int command = static_cast<int>(wParam & 0xFFF0);
        if (!IsSystemCommand(command))
            return FALSE;
        SystemCommand(command);
        return TRUE;
    }
    case WM_HELP:
        // F1: the first item the logic added (the about box), as the wx window.
        if (!m_systemMenu.empty())
            SystemCommand(m_systemMenu.front().first);
        return TRUE;
    case WM_CONTEXTMENU:
        ContextMenu(reinterpret_cast<HWND>(wParam), lParam);
        return TRUE;
    case WM_ENDSESSION:
        // The session ends, and this process with it, perhaps before any
        // WM_DESTROY: the logic ends now, so that what closing saves is saved.
        if (wParam)
            Finish();
        return TRUE;
    case WM_DESTROY:
        Finish();
        return FALSE;
    default:
        return FALSE;
    }
}

void Win32Dialog::InitDialog() {
    Running().push_back(this);
    if (m_mainWindow)
        SetIcons();
    for (const ControlTemplate& c : m_template.controls) {
        if (c.kind == ControlKind::Trackbar)
            Send(c.id, c.kind, TBM_SETRANGE, FALSE, MAKELPARAM(kTrackMin, kTrackMax));
        for (std::string_view item : c.items)
            ComboAdd(c.id, item);
        if (c.kind == ControlKind::List || c.kind == ControlKind::Edit ||
            c.kind == ControlKind::Trackbar || c.kind == ControlKind::Combo)
            NameForScreenReaders(Control(c.id), AccessibleName(m_template, c));
    }
    m_logic.OnInitDialog(*this);
}

void Win32Dialog::SetIcons() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const struct {
        WPARAM which;
        int cx, cy;
    } sizes[] = {{ICON_BIG, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)},
                 {ICON_SMALL, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)}};
    for (const auto& size : sizes) {
        auto* icon = static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size.cx, size.cy, 0));
        if (!icon)
            continue;
        m_icons.push_back(icon);
        SendMessageW(m_hwnd, WM_SETICON, size.which, reinterpret_cast<LPARAM>(icon));
    }
}

void Win32Dialog::Command(int id, int code, HWND control) {
    if (m_ended)
        return;
    // The dialog manager turns Enter and Esc into the default button and
    // IDCANCEL; pressed in an edit box that takes them itself (a click on a
    // button would have moved the focus to it) they go to that box.
    const LRESULT defId = SendMessageW(m_hwnd, DM_GETDEFID, 0, 0);
    const int enterId = HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : platform::kIdOk;
    if (code == BN_CLICKED && (id == platform::kIdCancel || id == enterId)) {
        const int focus = GetDlgCtrlID(GetFocus());
        if (const ControlTemplate* box = m_template.Find(focus);
            box && box->kind == ControlKind::Edit && (box->flags & platform::kWantsKeys)) {
            m_logic.OnCommand(*this, focus,
                              id == platform::kIdCancel ? platform::kNotifyEscapeKey
                                                        : platform::kNotifyEnterKey);
            return;
        }
    }
    if (id == platform::kIdCancel && code == BN_CLICKED) {
        CloseRequest(); // Esc and the Cancel button alike
        return;
    }
    const ControlTemplate* c = m_template.Find(id);
    if (!c) {
        // IDOK from Enter in a dialog without an OK button or default button.
        if (id == platform::kIdOk && !control && code == BN_CLICKED)
            m_logic.OnCommand(*this, id, platform::kNotifyClicked);
        return;
    }
    switch (c->kind) {
    case ControlKind::Button:
    case ControlKind::DefButton:
    case ControlKind::Radio:
    case ControlKind::Check:
        if (code == BN_CLICKED)
            m_logic.OnCommand(*this, id, platform::kNotifyClicked);
        break;
    case ControlKind::List:
        if (code == LBN_DBLCLK && (c->flags & platform::kNotify))
            m_logic.OnCommand(*this, id, platform::kNotifyDoubleClick);
        else if (code == LBN_SELCHANGE && (c->flags & platform::kNotify))
            m_logic.OnCommand(*this, id, platform::kNotifySelChange);
        break;
    case ControlKind::Combo:
        if (code == CBN_SELCHANGE)
            m_logic.OnCommand(*this, id, platform::kNotifySelChange);
        break;
    case ControlKind::Edit:
        if (code == EN_CHANGE && !(c->flags & platform::kReadOnly))
            m_logic.OnCommand(*this, id, platform::kNotifyEditChange);
        break;
    default:
        break;
    }
}

void Win32Dialog::CloseRequest() {
    if (m_ended)
        return;
    // As the dialog manager: nothing happens while a Cancel button is disabled.
    if (HWND cancel = Control(platform::kIdCancel); cancel && !IsWindowEnabled(cancel)) {
        MessageBeep(0);
        return;
    }
    m_logic.OnCommand(*this, platform::kIdCancel, platform::kNotifyClicked);
}

bool Win32Dialog::IsSystemCommand(int command) const {
    return std::any_of(m_systemMenu.begin(), m_systemMenu.end(),
                       [command](const auto& item) { return item.first == command; });
}

void Win32Dialog::SystemCommand(int command) {
    if (!m_ended)
        m_logic.OnSysCommand(*this, command);
}

void Win32Dialog::ContextMenu(HWND clicked, LPARAM at) {
    bool background = clicked == m_hwnd;
    if (const ControlTemplate* c = m_template.Find(GetDlgCtrlID(clicked)); c && !background)
        background = c->kind == ControlKind::Static || c->kind == ControlKind::Group ||
                     c->kind == ControlKind::Icon;
    if (!background || m_systemMenu.empty())
        return;
    HMENU menu = CreatePopupMenu();
    for (const auto& [command, text] : m_systemMenu)
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(command), Widen(text).c_str());
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1) { // from the keyboard: at the window's corner
        point = {0, 0};
        ClientToScreen(m_hwnd, &point);
    }
    const int chosen = static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                       point.x, point.y, 0, m_hwnd, nullptr));
    DestroyMenu(menu);
    if (chosen != 0)
        SystemCommand(chosen);
}

void Win32Dialog::Finish() {
    if (m_finished)
        return;
    m_finished = true;
    m_ended = true; // nothing reaches the logic any more
    for (int timer : m_timers)
        ::KillTimer(m_hwnd, static_cast<UINT_PTR>(timer));
    m_timers.clear();
    m_logic.OnDestroy(*this);
    auto& running = Running();
    running.erase(std::remove(running.begin(), running.end(), this), running.end());
}

// ---------------------------------------------------------------- controls

HWND Win32Dialog::Control(int id) const {
    return m_hwnd && m_template.Find(id) ? GetDlgItem(m_hwnd, id) : nullptr;
}

HWND Win32Dialog::Control(int id, ControlKind kind) const {
    const ControlTemplate* c = m_template.Find(id);
    return c && c->kind == kind ? Control(id) : nullptr;
}

LRESULT Win32Dialog::Send(int id, ControlKind kind, UINT message, WPARAM wParam,
                          LPARAM lParam) const {
    HWND control = Control(id, kind);
    return control ? SendMessageW(control, message, wParam, lParam) : -1;
}

void Win32Dialog::SetItemText(int id, std::string_view text) {
    if (HWND control = Control(id))
        SetWindowTextW(control, Widen(text).c_str());
}

std::string Win32Dialog::GetItemText(int id) const {
    return WindowText(Control(id));
}

void Win32Dialog::EnableItem(int id, bool enable) {
    if (HWND control = Control(id))
        EnableWindow(control, enable);
}

bool Win32Dialog::IsItemEnabled(int id) const {
    HWND control = Control(id);
    return control && IsWindowEnabled(control);
}

void Win32Dialog::ShowItem(int id, bool show) {
    if (HWND control = Control(id))
        ShowWindow(control, show ? SW_SHOW : SW_HIDE);
}

bool Win32Dialog::IsItemVisible(int id) const {
    HWND control = Control(id);
    return control && (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE);
}

void Win32Dialog::CheckItem(int id, bool checked) {
    const ControlTemplate* c = m_template.Find(id);
    if (c && (c->kind == ControlKind::Radio || c->kind == ControlKind::Check))
        SendMessageW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32Dialog::IsItemChecked(int id) const {
    const ControlTemplate* c = m_template.Find(id);
    return c && (c->kind == ControlKind::Radio || c->kind == ControlKind::Check) &&
           SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// List boxes and combo boxes: the same operations through their own messages.
struct Win32Dialog::ItemMessages {
    ControlKind kind;
    UINT reset, add, count, getSel, setSel, textLength, text;
};

namespace {
constexpr Win32Dialog::ItemMessages kList{ControlKind::List, LB_RESETCONTENT, LB_ADDSTRING,
                                          LB_GETCOUNT,       LB_GETCURSEL,    LB_SETCURSEL,
                                          LB_GETTEXTLEN,     LB_GETTEXT};
constexpr Win32Dialog::ItemMessages kCombo{ControlKind::Combo, CB_RESETCONTENT, CB_ADDSTRING,
                                           CB_GETCOUNT,        CB_GETCURSEL,    CB_SETCURSEL,
                                           CB_GETLBTEXTLEN,    CB_GETLBTEXT};

int IndexOrNone(LRESULT index) {
    return index < 0 ? -1 : static_cast<int>(index);
}
} // namespace

int Win32Dialog::AddItem(const ItemMessages& m, int id, std::string_view text) {
    const std::wstring wide = Widen(text);
    return IndexOrNone(Send(id, m.kind, m.add, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int Win32Dialog::ItemCount(const ItemMessages& m, int id) const {
    return std::max(0, IndexOrNone(Send(id, m.kind, m.count)));
}

void Win32Dialog::Select(const ItemMessages& m, int id, int index) {
    // An index out of range clears the selection (-1); a list scrolls to it.
    const int count = ItemCount(m, id);
    Send(id, m.kind, m.setSel, static_cast<WPARAM>(InRange(index, count) ? index : -1));
}

std::string Win32Dialog::ItemString(const ItemMessages& m, int id, int index) const {
    if (!InRange(index, ItemCount(m, id)))
        return {};
    const LRESULT length = Send(id, m.kind, m.textLength, static_cast<WPARAM>(index));
    std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    const LRESULT got =
        Send(id, m.kind, m.text, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(got, 0)));
    return Narrow(text);
}

void Win32Dialog::ListReset(int id) {
    Send(id, kList.kind, kList.reset);
}
int Win32Dialog::ListAdd(int id, std::string_view text) {
    return AddItem(kList, id, text);
}
void Win32Dialog::ListAddAll(int id, const std::vector<std::string_view>& texts) {
    HWND list = Control(id, ControlKind::List);
    if (!list)
        return;
    // The list repaints once, after the last row.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_INITSTORAGE, texts.size(), 0);
    for (const auto text : texts)
        AddItem(kList, id, text);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}
int Win32Dialog::ListCount(int id) const {
    return ItemCount(kList, id);
}
int Win32Dialog::ListGetSel(int id) const {
    return IndexOrNone(Send(id, kList.kind, kList.getSel));
}
void Win32Dialog::ListSetSel(int id, int index) {
    Select(kList, id, index);
}
std::string Win32Dialog::ListGetText(int id, int index) const {
    return ItemString(kList, id, index);
}

void Win32Dialog::ComboReset(int id) {
    Send(id, kCombo.kind, kCombo.reset);
}
int Win32Dialog::ComboAdd(int id, std::string_view text) {
    return AddItem(kCombo, id, text);
}
int Win32Dialog::ComboCount(int id) const {
    return ItemCount(kCombo, id);
}
int Win32Dialog::ComboGetSel(int id) const {
    return IndexOrNone(Send(id, kCombo.kind, kCombo.getSel));
}
void Win32Dialog::ComboSetSel(int id, int index) {
    Select(kCombo, id, index);
}
std::string Win32Dialog::ComboGetText(int id) const {
    return ItemString(kCombo, id, ComboGetSel(id));
}

void Win32Dialog::TrackSetTicFreq(int id, int freq) {
    if (freq > 0)
        Send(id, ControlKind::Trackbar, TBM_SETTICFREQ, static_cast<WPARAM>(freq));
}

void Win32Dialog::TrackSetPos(int id, int pos) {
    Send(id, ControlKind::Trackbar, TBM_SETPOS, TRUE, std::clamp(pos, kTrackMin, kTrackMax));
}

int Win32Dialog::TrackGetPos(int id) const {
    return std::max(0, IndexOrNone(Send(id, ControlKind::Trackbar, TBM_GETPOS)));
}

// ---------------------------------------------------------------- window

void Win32Dialog::SetTimer(int timerId, int periodMs) {
    if (!m_hwnd || m_ended)
        return;
    // Periods below USER_TIMER_MINIMUM are raised to it by the system.
    ::SetTimer(m_hwnd, static_cast<UINT_PTR>(timerId), static_cast<UINT>(std::max(periodMs, 0)),
               nullptr);
    if (std::find(m_timers.begin(), m_timers.end(), timerId) == m_timers.end())
        m_timers.push_back(timerId);
}

void Win32Dialog::KillTimer(int timerId) {
    if (m_hwnd)
        ::KillTimer(m_hwnd, static_cast<UINT_PTR>(timerId));
    m_timers.erase(std::remove(m_timers.begin(), m_timers.end(), timerId), m_timers.end());
}

void Win32Dialog::EndDialog(int result) {
    if (m_ended || !m_hwnd)
        return;
    m_ended = true;
    m_result = result;
    for (int timer : m_timers)
        ::KillTimer(m_hwnd, static_cast<UINT_PTR>(timer));
    m_timers.clear();
    ::EndDialog(m_hwnd, result);
}

void Win32Dialog::PostClose() {
    if (m_hwnd)
        PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
}

void Win32Dialog::AppendSystemMenuItem(int command, std::string_view text, char /*shortcut*/) {
    m_systemMenu.emplace_back(command, std::string(text));
    if (HMENU menu = m_hwnd ? GetSystemMenu(m_hwnd, FALSE) : nullptr) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(command), Widen(text).c_str());
    }
}

void Win32Dialog::BeginBusy() {
    if (m_hwnd)
        RedrawWindow(m_hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
}

void Win32Dialog::EndBusy() {
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

} // namespace voxwin
