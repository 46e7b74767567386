// Runs a scenario script against the main dialog's logic with a headless
// host, printing a transcript. The script grammar and the transcript lines
// are a contract that tests depend on.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/services.h"
#include "tools/headless/headless_host.h"
#include "tools/headless/headless_prompts.h"

class CVoxletDlg;

class ScriptRunner {
public:
    // services gives the settings file and the HTTP transport; the runner
    // adds its prompts, virtual clock and transcript hooks.
    ScriptRunner(std::vector<std::string> lines, std::ostream& out, Services services);
    ~ScriptRunner();

    // Runs the script; returns the process exit code (0, or 2 on a script error).
    int Run();

private:
    struct Frame {
        platform::HeadlessDialogHost* host;
        platform::ModalDialogLogic* logic;
    };

    void Log(const std::string& line);
    void StartUp();
    // Executes script lines until the dialog of `frame` has ended or the
    // script is exhausted (throws EndOfScript then).
    void Pump(Frame frame);
    void Execute(const std::string& line);
    bool QueueIfAnswer(const std::string& line);
    void Expect(const platform::HeadlessDialogHost& host, const std::string& args);
    int RunModal(platform::ModalDialogLogic& logic);
    bool MainClosed();
    std::string ErrorLine(const std::string& what) const;

    std::vector<std::string> m_lines;
    std::size_t m_next = 0;
    std::size_t m_current = 0; // 1-based line being executed; 0 during start-up
    std::ostream& m_out;
    std::int64_t m_clockMs = 0;
    platform::HeadlessPrompts m_prompts;
    PcAudio m_audio; // over a back end that writes the transcript
    Services m_services;
    std::unique_ptr<CVoxletDlg> m_dlg;
    std::unique_ptr<platform::HeadlessDialogHost> m_mainHost;
    std::vector<Frame> m_stack;
    bool m_closed = false;
};
