// A dialog without a window: the controls of a template held in memory with
// their states, for tests and the scenario runner. Timer and close requests
// are recorded; what a user does (clicks, selections) is simulated.
#pragma once

#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/dialog_host.h"
#include "platform/dialog_template.h"

namespace platform {

class HeadlessDialogHost final : public DialogHost {
public:
    using Log = std::function<void(const std::string&)>;

    HeadlessDialogHost(const DialogTemplate& dialogTemplate, Log log);

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
    int ListCount(int id) const override;
    int ListGetSel(int id) const override;
    void ListSetSel(int id, int index) override;
    std::string ListGetText(int id, int index) const override;

    void TrackSetTicFreq(int id, int freq) override;
    void TrackSetPos(int id, int pos) override;
    int TrackGetPos(int id) const override;
    // The trackbar's tick step (1 until set).
    int TrackTicFreq(int id) const;

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

    // What a user can do. Each returns false when the control cannot take the
    // action (missing, disabled or hidden); nothing changes then.
    // A radio is checked and its group siblings unchecked; a check box toggles.
    bool UserClick(int id);
    bool UserCanUse(int id) const;

    const DialogTemplate& Template() const { return m_template; }
    // Period of an armed timer, or -1.
    int TimerPeriod(int timerId) const;
    bool Ended() const { return m_ended; }
    int Result() const { return m_result; }
    // Takes a pending close request (true once per request).
    bool TakeCloseRequest();

    // Prints the controls in template order (the runner's `state` format).
    void PrintState(std::ostream& out) const;

private:
    struct Control {
        const ControlTemplate* tpl = nullptr;
        std::string text;
        bool enabled = true;
        bool visible = true;
        bool checked = false;
        std::vector<std::string> items; // list and combo
        int sel = -1;
        int pos = 0; // trackbar
        int ticFreq = 1;
    };
    Control* Find(int id);
    const Control* Find(int id) const;

    const DialogTemplate& m_template;
    Log m_log;
    std::vector<Control> m_controls;
    std::map<int, int> m_timers;
    std::set<int> m_killed; // killed and not set since
    bool m_ended = false;
    int m_result = 0;
    bool m_closePosted = false;
};

// Texts for transcripts: a line break is written as the two characters "\n".
std::string EscapeLineBreaks(std::string_view text);

} // namespace platform
