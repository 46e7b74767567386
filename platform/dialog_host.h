// The dialog seam: everything the player and the dialog logic need from one
// dialog window. Controls are addressed by their numeric ids as in the dialog
// templates. The toolkit window implements it, and so does the headless host
// that tests and the scenario runner use.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Results a dialog ends with.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

class DialogHost {
public:
    virtual ~DialogHost() = default;

    // Any control: label or text, enabled, shown, checked (radios and check boxes).
    virtual void SetItemText(int id, std::string_view text) = 0;
    virtual std::string GetItemText(int id) const = 0;
    virtual void EnableItem(int id, bool enable) = 0;
    virtual bool IsItemEnabled(int id) const = 0;
    virtual void ShowItem(int id, bool show) = 0;
    virtual bool IsItemVisible(int id) const = 0;
    virtual void CheckItem(int id, bool checked) = 0;
    virtual bool IsItemChecked(int id) const = 0;

    // List boxes. Selection -1 means none; selecting an index out of range
    // clears the selection.
    virtual void ListReset(int id) = 0;
    virtual int ListAdd(int id, std::string_view text) = 0; // returns the new index
    virtual int ListCount(int id) const = 0;
    virtual int ListGetSel(int id) const = 0;
    virtual void ListSetSel(int id, int index) = 0;
    virtual std::string ListGetText(int id, int index) const = 0;
    // Appends every text at once; a window repaints the list once, not per row.
    virtual void ListAddAll(int id, const std::vector<std::string_view>& texts) {
        for (const auto text : texts)
            ListAdd(id, text);
    }

    // Trackbars (range 0..100; positions outside it are clamped).
    virtual void TrackSetTicFreq(int id, int freq) = 0;
    virtual void TrackSetPos(int id, int pos) = 0;
    virtual int TrackGetPos(int id) const = 0;

    // Drop-down list combo boxes. Selection -1 means none.
    virtual void ComboReset(int id) = 0;
    virtual int ComboAdd(int id, std::string_view text) = 0;
    virtual int ComboCount(int id) const = 0;
    virtual int ComboGetSel(int id) const = 0;
    virtual void ComboSetSel(int id, int index) = 0;
    virtual std::string ComboGetText(int id) const = 0; // selected item's text, "" for none

    // Window timer: one-shot use is up to the caller; SetTimer re-arms.
    virtual void SetTimer(int timerId, int periodMs) = 0;
    virtual void KillTimer(int timerId) = 0;

    // Ends a modal dialog with a result; posts a close request to the window.
    virtual void EndDialog(int result) = 0;
    virtual void PostClose() = 0;

    // Adds a separator and a command item to the window's system menu (or to
    // whatever stands in for it on this platform). shortcut: an upper-case
    // letter that carries the command out with Ctrl where the stand-in is a
    // menu of the toolkit's (0: none); the system menu itself has no keys.
    virtual void AppendSystemMenuItem(int /*command*/, std::string_view /*text*/,
                                      char /*shortcut*/ = 0) {}

    // The platform window handle (nullptr when there is none).
    virtual void* NativeHandle() const { return nullptr; }

    // Around a blocking exchange (with a robot card, a file copy): the window
    // is repainted once, so it shows what is being sent, and shows a busy
    // cursor until the matching EndBusy; no other event is handled meanwhile.
    // Calls nest.
    virtual void BeginBusy() {}
    virtual void EndBusy() {}
};

// BeginBusy for the scope's lifetime.
class BusyScope {
public:
    explicit BusyScope(DialogHost& host) : m_host(host) { m_host.BeginBusy(); }
    ~BusyScope() { m_host.EndBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    DialogHost& m_host;
};

} // namespace platform
