// A wxDialog built from a dialog template (platform/dialog_template.h): every
// control of the table with its id, kind, label, initial state and rectangle
// converted from dialog units with the dialog's font. It is the DialogHost of
// the logic that runs in it, and routes the toolkit's events to that logic the
// way the Windows dialog manager routes messages:
//   push button, check box, radio click  -> OnCommand(id, kNotifyClicked)
//   list double-click (notifying list)   -> OnCommand(id, kNotifyDoubleClick)
//   list selection by the user (notifying list) -> OnCommand(id, kNotifySelChange)
//   combo box selection by the user      -> OnCommand(id, kNotifySelChange)
//   Enter   -> the default button (unless a push button has the focus)
//   Esc, the close box, a posted close   -> OnCommand(kIdCancel, kNotifyClicked)
//   window timer, vertical trackbar, system-menu command, destruction
//                                        -> OnTimer, OnVScroll, OnSysCommand,
//                                           OnDestroy
// The about item that Windows puts in the system menu is offered in a context
// menu of the dialog's background (under GTK the window manager owns the
// window menu), and F1 carries it out; an item with a shortcut letter is
// carried out by Ctrl and that letter too.
//
// Layout: each rectangle is ConvertDialogToPixels of the template's, with the
// dialog's font set first. GTK's controls and the fallback font can need more
// room than the Windows metrics the template was drawn for; when a label would
// be clipped, the whole layout is widened (or heightened) by one factor, so
// every control keeps its place relative to the others. Labels set later grow
// the layout the same way. Windows radio groups can have no radio checked, GTK
// ones cannot: each group gets a hidden spare radio that stands for "none".
#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialog_host.h"
#include "platform/dialog_template.h"
#include "platform/prompts.h"

class wxContextMenuEvent;
class wxKeyEvent;
class wxCloseEvent;
class wxInitDialogEvent;

namespace voxwx {

class WxTemplateDialog final : public wxDialog, public platform::DialogHost {
public:
    // Builds the window and its controls (hidden).
    WxTemplateDialog(wxWindow* parent, platform::ModalDialogLogic& logic, long extraStyle = 0);
    ~WxTemplateDialog() override;

    // --- platform::DialogHost
    void SetItemText(int id, std::string_view text) override;
    std::string GetItemText(int id) const override;
    void EnableItem(int id, bool enable) override;
    bool IsItemEnabled(int id) const override;
    void ShowItem(int id, bool show) override;
    bool IsItemVisible(int id) const override;
    void CheckItem(int id, bool checked) override;
    bool IsItemChecked(int id) const override;

    void ListReset(int id) override;
    int ListAdd(int id, std::string_view text) override;
    void ListAddAll(int id, const std::vector<std::string_view>& texts) override;
    int ListCount(int id) const override;
    int ListGetSel(int id) const override;
    void ListSetSel(int id, int index) override;
    std::string ListGetText(int id, int index) const override;

    void TrackSetTicFreq(int id, int freq) override;
    void TrackSetPos(int id, int pos) override;
    int TrackGetPos(int id) const override;

    void ComboReset(int id) override;
    int ComboAdd(int id, std::string_view text) override;
    int ComboCount(int id) const override;
    int ComboGetSel(int id) const override;
    void ComboSetSel(int id, int index) override;
    std::string ComboGetText(int id) const override;

    void SetTimer(int timerId, int periodMs) override;
    void KillTimer(int timerId) override;
    void EndDialog(int result) override;
    void PostClose() override;
    void AppendSystemMenuItem(int command, std::string_view text, char shortcut = 0) override;
    void* NativeHandle() const override;
    // The busy cursor (wxBeginBusyCursor) after a repaint done at once
    // (Refresh, Update): no event is dispatched.
    void BeginBusy() override;
    void EndBusy() override;

    // --- life cycle
    // Runs the logic's OnInitDialog (once) and puts the focus on the first
    // enabled, visible tab-stop control, as the dialog manager does.
    void StartDialog();
    // StartDialog, then the modal loop (skipped when the logic already ended
    // the dialog), then FinishDialog. Returns the result the dialog ended with.
    int RunModal();
    // StartDialog and show without a modal loop (tests drive the window).
    void ShowModeless();
    // The window is being destroyed: timers stop, the logic's OnDestroy runs
    // (once) while the controls still exist.
    void FinishDialog();

    bool HasEnded() const { return m_ended; }
    int Result() const { return m_result; }

    // --- for tests and the program
    wxWindow* Control(int id) const;
    const platform::DialogTemplate& Template() const { return m_template; }
    // Requested period of an armed timer, or -1.
    int TimerPeriod(int timerId) const;
    // The commands offered in the background's context menu (the system-menu
    // stand-in), in order.
    const std::vector<std::pair<int, std::string>>& SystemMenuItems() const { return m_systemMenu; }
    // Carries out a system command as the context menu does.
    void SystemCommand(int command);

    // The dialog whose modal loop runs innermost (nullptr when none): the
    // parent of message boxes and nested dialogs.
    static WxTemplateDialog* Innermost();

private:
    struct Item {
        const platform::ControlTemplate* tpl = nullptr;
        wxWindow* window = nullptr;
        std::string text; // label as last set
    };
    class Timer;

    void BuildControls();
    wxWindow* CreateControl(const platform::ControlTemplate& c);
    wxWindow* CreateRadio(const platform::ControlTemplate& c, wxWindowID wid,
                          const wxString& label);
    void ArrangeControls(bool grow);
    wxRect PixelRect(const platform::ControlTemplate& c, double sx, double sy) const;
    bool NeedsMoreRoom(const Item& item, double& needX, double& needY) const;
    Item* Find(int id);
    Item* ItemOf(const wxObject* window);
    const Item* Find(int id) const;
    wxWindow* RadioGroupSpare(int id) const;

    void Route(int id, int notification);
    void CloseRequest();
    void OnTimerTick(int timerId);
    void OnButton(wxCommandEvent& event);
    void OnCheckBox(wxCommandEvent& event);
    void OnListDoubleClick(wxCommandEvent& event);
    void OnListSelection(wxCommandEvent& event);
    void OnChoice(wxCommandEvent& event);
    void OnText(wxCommandEvent& event);
    void OnSlider(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void OnInitDialogEvent(wxInitDialogEvent& event);

public:
    // Called from the GTK "clicked" signal of a radio button.
    void RadioClicked(void* widget, bool active);

private:
    platform::ModalDialogLogic& m_logic;
    const platform::DialogTemplate& m_template;
    std::vector<Item> m_items;
    std::map<int, wxWindow*> m_radioSpares; // group's first radio id -> hidden spare
    std::map<void*, int> m_radioWidgets;    // GTK widget -> control id
    std::map<int, std::unique_ptr<Timer>> m_timers;
    std::vector<std::pair<int, std::string>> m_systemMenu;
    std::map<int, int> m_shortcuts; // key code of a letter -> system command
    int m_defaultId = 0;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
    int m_settingRadio = 0; // > 0 while the host itself changes a radio
    bool m_started = false;
    bool m_finished = false;
    bool m_ended = false;
    int m_result = 0;
    wxWindow* m_initialFocus = nullptr;
};

} // namespace voxwx
