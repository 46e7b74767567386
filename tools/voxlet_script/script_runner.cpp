#include "tools/voxlet_script/script_runner.h"

#include <cctype>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "platform/paths.h"
#include "playback/audio/audio_backend.h"
#include "playback/audio/recording_backend.h"
#include "resources/control_ids.h"
#include "resources/templates.h"
#include "ui/voxlet_dlg.h"

using platform::HeadlessDialogHost;

namespace {

struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct EndOfScript {};

// A fixed start for the virtual clock, so random play repeats run to run.
constexpr std::int64_t kVirtualEpochSeconds = 1'700'000'000;

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

int ParseInt(const std::string& text) {
    std::size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size())
        throw ScriptError("not a number: " + text);
    return value;
}

// A control of `host`'s dialog by its number or by its name (see
// resources/control_ids.h): "3" and "play" are the same button of the main
// dialog.
int ControlId(const HeadlessDialogHost& host, const std::string& word) {
    if (word.empty() || !std::isalpha(static_cast<unsigned char>(word[0])))
        return ParseInt(word);
    const int dialog = host.Template().id;
    if (const auto id = FindControlId(dialog, word))
        return *id;
    throw ScriptError("no control named " + word + " in dialog " + std::to_string(dialog));
}

std::string Trim(const std::string& s) {
    auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

const char* ResultName(int result) {
    return result == platform::kIdOk ? "IDOK" : "IDCANCEL";
}

} // namespace

ScriptRunner::ScriptRunner(std::vector<std::string> lines, std::ostream& out, Services services)
    : m_lines(std::move(lines)), m_out(out), m_prompts([this](const std::string& l) { Log(l); }),
      m_services(std::move(services)) {
    m_prompts.SetModalRunner([this](platform::ModalDialogLogic& d) { return RunModal(d); });
    m_services.prompts = &m_prompts;
    m_services.sleep = [this](int ms) {
        Log("sleep " + std::to_string(ms));
        if (ms > 0)
            m_clockMs += ms;
    };
    m_services.now = [this] { return kVirtualEpochSeconds + m_clockMs / 1000; };
    m_services.profileWrite = [this](std::string_view section, std::string_view key,
                                     std::string_view value) {
        Log("ini write [" + std::string(section) + "] " + std::string(key) + "=" +
            std::string(value));
    };
    m_services.httpTrace = [this](const std::string& l) { Log(l); };
    m_audio.SetBackend(
        std::make_unique<RecordingAudioBackend>([this](const std::string& l) { Log(l); }));
    m_services.audio = &m_audio;
}

ScriptRunner::~ScriptRunner() {
    m_stack.clear();
    m_dlg.reset(); // frees the player without the shut-down steps
    m_mainHost.reset();
}

void ScriptRunner::Log(const std::string& line) {
    // Transport errors tell how long they took ("after 3 ms"); the transcript
    // keeps only what repeats from run to run.
    static const std::regex elapsed("after [0-9]+ ms");
    m_out << std::regex_replace(line, elapsed, "after N ms") << '\n';
}

bool ScriptRunner::QueueIfAnswer(const std::string& line) {
    const auto w = Words(line);
    if (w.empty())
        return false;
    if (w[0] == "answer") {
        if (w.size() != 2)
            throw ScriptError("answer takes ok, yes, no or other");
        if (w[1] == "ok")
            m_prompts.QueueAnswer(platform::kIdOk);
        else if (w[1] == "yes")
            m_prompts.QueueAnswer(platform::kIdYes);
        else if (w[1] == "no")
            m_prompts.QueueAnswer(platform::kIdNo);
        else if (w[1] == "other")
            m_prompts.QueueAnswer(platform::kIdExtra);
        else
            throw ScriptError("answer takes ok, yes, no or other");
        return true;
    }
    if (w[0] == "choose") {
        std::string rest = Trim(line.substr(line.find("choose") + 6));
        if (rest.empty())
            throw ScriptError("choose takes a path or cancel");
        if (rest == "cancel")
            m_prompts.QueueChoice(std::nullopt);
        else
            m_prompts.QueueChoice(rest);
        return true;
    }
    return false;
}

void ScriptRunner::StartUp() {
    m_dlg = std::make_unique<CVoxletDlg>(m_services);
    m_mainHost = std::make_unique<HeadlessDialogHost>(MainDialogTemplate(),
                                                      [this](const std::string& l) { Log(l); });
    m_stack.push_back({m_mainHost.get(), m_dlg.get()});
    m_dlg->OnInitDialog(*m_mainHost);
}

bool ScriptRunner::MainClosed() {
    if (m_closed)
        return true;
    if (m_mainHost->TakeCloseRequest())
        m_mainHost->EndDialog(platform::kIdCancel);
    if (!m_mainHost->Ended())
        return false;
    m_dlg->OnDestroy(*m_mainHost);
    Log("closed");
    m_closed = true;
    return true;
}

int ScriptRunner::RunModal(platform::ModalDialogLogic& logic) {
    HeadlessDialogHost host(logic.Template(), [this](const std::string& l) { Log(l); });
    const int id = logic.Template().id;
    Log("dialog " + std::to_string(id) + " open");
    m_stack.push_back({&host, &logic});
    logic.OnInitDialog(host);
    try {
        Pump(m_stack.back());
    } catch (...) {
        m_stack.pop_back();
        throw;
    }
    m_stack.pop_back();
    Log("dialog " + std::to_string(id) + " end " + ResultName(host.Result()));
    return host.Result();
}

void ScriptRunner::Pump(Frame frame) {
    while (!frame.host->Ended()) {
        if (m_next >= m_lines.size())
            throw EndOfScript{};
        m_current = ++m_next;
        const std::string line = Trim(m_lines[m_current - 1]);
        if (line.empty() || line[0] == '#')
            continue;
        Execute(line);
        if (MainClosed())
            throw EndOfScript{};
    }
}

void ScriptRunner::Execute(const std::string& line) {
    if (QueueIfAnswer(line))
        return;
    const auto w = Words(line);
    const std::string& cmd = w[0];
    auto argCount = [&](std::size_t n) {
        if (w.size() != n + 1)
            throw ScriptError(cmd + " takes " + std::to_string(n) + " argument(s)");
    };
    Frame& top = m_stack.back();
    HeadlessDialogHost& main = *m_mainHost;
    // While a modal dialog is open the main window takes no user input; its
    // timer still runs.
    const bool mainOnTop = m_stack.size() == 1;
    const bool mainSelect = cmd == "select" && w.size() == 2;
    if (!mainOnTop && (mainSelect || cmd == "dblclick" || cmd == "volume" || cmd == "about" ||
                       cmd == "find" || cmd == "find-key" || cmd == "play-list-editor")) {
        Log("ignored: " + cmd);
        return;
    }

    if (cmd == "click") {
        argCount(1);
        const int id = ControlId(*top.host, w[1]);
        if (!top.host->UserClick(id)) {
            Log("ignored: " + std::to_string(id));
            return;
        }
        top.logic->OnCommand(*top.host, id, platform::kNotifyClicked);
    } else if (cmd == "combo") {
        argCount(2);
        const int id = ControlId(*top.host, w[1]);
        if (!top.host->UserCanUse(id)) {
            Log("ignored: " + std::to_string(id));
            return;
        }
        top.host->ComboSetSel(id, ParseInt(w[2]));
        top.logic->OnCommand(*top.host, id, platform::kNotifySelChange);
    } else if (cmd == "type") {
        // The rest of the line after the id replaces the field's text.
        if (w.size() < 2)
            throw ScriptError("type takes a control id and a text");
        const int id = ControlId(*top.host, w[1]);
        const auto* tpl = top.host->Template().Find(id);
        if (!tpl || tpl->kind != platform::ControlKind::Edit || (tpl->flags & platform::kReadOnly))
            throw ScriptError("type takes an edit field: " + w[1]);
        if (!top.host->UserCanUse(id)) {
            Log("ignored: " + std::to_string(id));
            return;
        }
        const std::size_t at = line.find(w[1], line.find("type") + 4) + w[1].size();
        top.host->SetItemText(id, Trim(line.substr(at)));
        top.logic->OnCommand(*top.host, id, platform::kNotifyEditChange);
    } else if (cmd == "key") {
        // Enter or Esc in an edit field of the dialog on top that takes them.
        argCount(2);
        const int id = ControlId(*top.host, w[1]);
        const auto* tpl = top.host->Template().Find(id);
        if (!tpl || tpl->kind != platform::ControlKind::Edit ||
            !(tpl->flags & platform::kWantsKeys))
            throw ScriptError("key takes an edit field that takes Enter and Esc: " + w[1]);
        if (w[2] != "enter" && w[2] != "esc")
            throw ScriptError("key takes enter or esc");
        if (!top.host->UserCanUse(id)) {
            Log("ignored: " + std::to_string(id));
            return;
        }
        top.logic->OnCommand(*top.host, id,
                             w[2] == "enter" ? platform::kNotifyEnterKey
                                             : platform::kNotifyEscapeKey);
    } else if (cmd == "find") {
        // The rest of the line is typed into the find box; none empties it.
        if (!main.UserCanUse(ctl::kFindBox)) {
            Log("ignored: " + std::to_string(ctl::kFindBox));
            return;
        }
        main.SetItemText(ctl::kFindBox,
                         w.size() < 2 ? "" : Trim(line.substr(line.find("find") + 4)));
        m_dlg->OnCommand(main, ctl::kFindBox, platform::kNotifyEditChange);
    } else if (cmd == "find-key") {
        argCount(1);
        if (w[1] != "enter" && w[1] != "esc")
            throw ScriptError("find-key takes enter or esc");
        m_dlg->OnCommand(main, ctl::kFindBox,
                         w[1] == "enter" ? platform::kNotifyEnterKey : platform::kNotifyEscapeKey);
    } else if (mainSelect) {
        main.ListSetSel(ctl::kClipList, ParseInt(w[1]));
    } else if (cmd == "select") {
        // A list of the dialog on top, as the user selects a line in it.
        argCount(2);
        const int id = ControlId(*top.host, w[1]);
        const auto* tpl = top.host->Template().Find(id);
        if (!tpl || tpl->kind != platform::ControlKind::List)
            throw ScriptError("select takes a list: " + w[1]);
        if (!top.host->UserCanUse(id)) {
            Log("ignored: " + std::to_string(id));
            return;
        }
        top.host->ListSetSel(id, ParseInt(w[2]));
        if (tpl->flags & platform::kNotify)
            top.logic->OnCommand(*top.host, id, platform::kNotifySelChange);
    } else if (cmd == "dblclick") {
        argCount(0);
        if (!main.UserCanUse(ctl::kClipList)) {
            Log("ignored: " + std::to_string(ctl::kClipList));
            return;
        }
        m_dlg->OnCommand(main, ctl::kClipList, platform::kNotifyDoubleClick);
    } else if (cmd == "volume") {
        argCount(1);
        if (!main.UserCanUse(ctl::kVolume)) {
            Log("ignored: " + std::to_string(ctl::kVolume));
            return;
        }
        main.TrackSetPos(ctl::kVolume, ParseInt(w[1]));
        m_dlg->OnVScroll(main);
    } else if (cmd == "tick") {
        argCount(0);
        const int period = main.TimerPeriod(SEQUENCE_TIMER);
        if (period < 0) {
            Log("no timer");
            return;
        }
        Log("tick " + std::to_string(period));
        m_clockMs += period;
        m_dlg->OnTimer(main, SEQUENCE_TIMER);
    } else if (cmd == "about") {
        argCount(0);
        m_dlg->OnSysCommand(main, IDM_ABOUTBOX);
    } else if (cmd == "play-list-editor") {
        argCount(0);
        m_dlg->OnSysCommand(main, IDM_PLAY_LIST_EDITOR);
    } else if (cmd == "close") {
        argCount(0);
        top.host->EndDialog(platform::kIdCancel);
    } else if (cmd == "state") {
        argCount(0);
        top.host->PrintState(m_out);
    } else if (cmd == "expect") {
        Expect(*top.host, line.substr(line.find("expect") + 6));
    } else {
        throw ScriptError("unknown command: " + cmd);
    }
}

// `expect ID WHAT...` or `expect timer PERIOD|off`: silent when every WHAT
// holds for control ID (a number or a name) of the dialog on top, else a
// script error naming the first that does not. WHAT: enabled, disabled,
// shown, hidden, checked, unchecked, text="T" (as `state` shows it: a list's
// selected item, a trackbar's position), sel=N, count=N, itemN="T" (lists and
// combos).
void ScriptRunner::Expect(const HeadlessDialogHost& host, const std::string& args) {
    std::vector<std::string> what;
    for (std::size_t i = args.find_first_not_of(' '); i != std::string::npos;
         i = args.find_first_not_of(' ', i)) {
        std::size_t end = args.find(' ', i);
        if (const auto q = args.find('"', i); q < end) {
            end = args.find("\" ", q + 1);
            end = end == std::string::npos ? args.size() : end + 1;
        }
        what.push_back(args.substr(i, end - i));
        i = end;
    }
    if (what.size() < 2)
        throw ScriptError("expect takes a control id and what to check");
    std::string wanted;
    auto fail = [&](const std::string& actual) {
        throw ScriptError("expect " + what[0] + ": " + actual + ", not " + wanted);
    };
    if (what[0] == "timer") {
        const int period = host.TimerPeriod(SEQUENCE_TIMER);
        const std::string actual = period < 0 ? "off" : std::to_string(period);
        wanted = what[1];
        if (what.size() != 2 || what[1] != actual)
            fail(actual);
        return;
    }
    const int id = ControlId(host, what[0]);
    const auto* tpl = host.Template().Find(id);
    if (!tpl)
        throw ScriptError("no control " + what[0]);
    const bool list = tpl->kind == platform::ControlKind::List;
    const bool combo = tpl->kind == platform::ControlKind::Combo;
    const int count = list ? host.ListCount(id) : combo ? host.ComboCount(id) : 0;
    const int sel = list ? host.ListGetSel(id) : combo ? host.ComboGetSel(id) : -1;
    auto item = [&](int i) { return i < 0 || i >= count ? "none" : host.ListGetText(id, i); };
    std::string text = host.GetItemText(id);
    if (list)
        text = sel < 0 ? std::string() : item(sel);
    else if (tpl->kind == platform::ControlKind::Trackbar)
        text = std::to_string(host.TrackGetPos(id));
    else if (combo)
        text = host.ComboGetText(id);
    auto quoted = [](const std::string& t) { return '"' + platform::EscapeLineBreaks(t) + '"'; };
    for (std::size_t i = 1; i < what.size(); ++i) {
        const std::string& w = what[i];
        wanted = w;
        const auto eq = w.find('=');
        const std::string key = w.substr(0, eq);
        const std::string value = eq == std::string::npos ? std::string() : w.substr(eq + 1);
        auto flag = [&](bool actual, const char* yes, const char* no) {
            if (actual != (w == yes))
                fail(actual ? yes : no);
        };
        if (w == "enabled" || w == "disabled")
            flag(host.IsItemEnabled(id), "enabled", "disabled");
        else if (w == "shown" || w == "hidden")
            flag(host.IsItemVisible(id), "shown", "hidden");
        else if (w == "checked" || w == "unchecked")
            flag(host.IsItemChecked(id), "checked", "unchecked");
        else if (key == "text" && value != quoted(text))
            fail("text=" + quoted(text));
        else if (key == "sel" && ParseInt(value) != sel)
            fail("sel=" + std::to_string(sel));
        else if (key == "count" && ParseInt(value) != count)
            fail("count=" + std::to_string(count));
        else if (key == "ticks" && ParseInt(value) != host.TrackTicFreq(id))
            fail("ticks=" + std::to_string(host.TrackTicFreq(id)));
        else if (key.starts_with("item") && key.size() > 4) {
            const int index = ParseInt(key.substr(4));
            if (value != quoted(item(index)))
                fail(key + "=" + quoted(item(index)));
        } else if (key != "text" && key != "sel" && key != "count" && key != "ticks")
            throw ScriptError("expect cannot check " + w);
    }
}

std::string ScriptRunner::ErrorLine(const std::string& what) const {
    if (m_current == 0)
        return "error: start-up: " + what;
    return "error: line " + std::to_string(m_current) + ": " + what;
}

int ScriptRunner::Run() {
    try {
        // Before start-up: answers, choices and "audio fails" (PC audio that
        // cannot open).
        for (; m_next < m_lines.size(); ++m_next) {
            const std::string line = Trim(m_lines[m_next]);
            if (line == "audio fails")
                m_audio.SetBackend(std::make_unique<RecordingAudioBackend>(
                    [this](const std::string& l) { Log(l); },
                    RecordingAudioBackend::Options{.failOpen = true}));
            else if (!line.empty() && line[0] != '#' && !QueueIfAnswer(line))
                break;
        }
        StartUp();
        if (MainClosed())
            return 0;
        Pump(m_stack.front());
    } catch (const EndOfScript&) {
        return 0;
    } catch (const ScriptError& e) {
        Log(ErrorLine(e.what()));
        return 2;
    } catch (const platform::HeadlessPromptError& e) {
        Log(ErrorLine(e.what()));
        return 2;
    }
    return 0;
}
