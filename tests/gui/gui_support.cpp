#include "gui/gui_support.h"

#include <unistd.h>

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <cstdlib>
#include <filesystem>

#include "platform/paths.h"
#include "playback/audio/audio.h"
#include "playback/audio/audio_backend.h"
#include "playback/audio/recording_backend.h"

namespace guitest {

int g_realDialogsAllowed = 0;

void Pump(int ms) {
    wxStopWatch watch;
    do {
        wxTheApp->Yield(true);
        wxMilliSleep(5);
    } while (watch.Time() < ms);
}

bool WaitFor(const std::function<bool()>& cond, int timeoutMs) {
    wxStopWatch watch;
    while (!cond()) {
        if (watch.Time() > timeoutMs)
            return false;
        wxTheApp->Yield(true);
        wxMilliSleep(5);
    }
    return true;
}

void ClickAt(const wxPoint& screen, int button) {
    wxUIActionSimulator sim;
    sim.MouseMove(screen);
    Pump(60);
    sim.MouseClick(button == 3 ? wxMOUSE_BTN_RIGHT : wxMOUSE_BTN_LEFT);
    Pump(60);
}

void Click(const wxWindow* window, int button) {
    const wxRect r = window->GetScreenRect();
    ClickAt(wxPoint(r.x + r.width / 2, r.y + r.height / 2), button);
}

void DoubleClickAt(const wxPoint& screen) {
    wxUIActionSimulator().MouseMove(screen);
    Pump(60);
    wxUIActionSimulator().MouseDblClick();
    Pump(60);
}

wxPoint ListItemPoint(const wxListBox* list, int index) {
    const wxSize size = list->GetClientSize();
    int first = -1;
    int last = -1;
    for (int y = 0; y < size.y; ++y) {
        if (list->HitTest(wxPoint(size.x / 3, y)) == index) {
            if (first < 0)
                first = y;
            last = y;
        } else if (first >= 0) {
            break;
        }
    }
    if (first < 0)
        return wxDefaultPosition;
    return list->ClientToScreen(wxPoint(size.x / 3, (first + last) / 2));
}

void PressKey(int keyCode) {
    wxUIActionSimulator().Char(keyCode);
    Pump(60);
}

void SaveScreenshot(const wxWindow& window, const std::string& name) {
    std::filesystem::create_directories(VOXLET_ARTIFACT_DIR);
    const std::string path = std::string(VOXLET_ARTIFACT_DIR) + "/" + name;
    std::filesystem::remove(path);
    const wxRect r = window.GetScreenRect();
    const std::string command = "import -window root -crop " + std::to_string(r.width) + "x" +
                                std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                                std::to_string(r.y) + " +repage '" + path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(testsupport::ReadFile(path).substr(1, 3), "PNG");
}

} // namespace guitest

void MainWindowTest::SetUp() {
    // The voice set of the scenarios: recognition words おはよう and こんにちは
    // in category 1, Tiko voices ただいま and おかえり, the quiz クイズです.
    ASSERT_EQ(std::system(("bash " VOXLET_SOURCE_DIR "/scripts/prepare-tree.sh '" + m_dir.Path() +
                           "' " VOXLET_SOURCE_DIR "/tests/voice-sets/basic")
                              .c_str()),
              0);
    char buf[4096];
    m_oldCwd = getcwd(buf, sizeof buf) ? buf : "/";
    ASSERT_EQ(chdir(m_dir.Path().c_str()), 0);
    m_services.settingsPath = m_dir / "Voxlet.ini";
    m_services.prompts = &m_prompts;
    m_services.sleep = [](int) {}; // no test waits for real
    m_services.audio = &m_pcAudio;
    m_pcAudio.SetBackend(std::make_unique<RecordingAudioBackend>(
        [this](const std::string& line) { m_audio.push_back(line); }));
    Settings("[SOUND]\r\nDEFAULT=30\r\n");
}

void MainWindowTest::TearDown() {
    if (m_window)
        Finish();
    m_dlg.reset();
    (void)chdir(m_oldCwd.c_str());
}

void MainWindowTest::Settings(const std::string& text) {
    testsupport::WriteFile(m_dir / "Voxlet.ini", text);
}

std::string MainWindowTest::SettingsText() const {
    return testsupport::ReadFile(m_dir / "Voxlet.ini");
}

void MainWindowTest::Start() {
    m_dlg = std::make_unique<CVoxletDlg>(m_services);
    m_window = new voxwx::WxTemplateDialog(nullptr, *m_dlg, voxwx::kMainWindowStyle);
    voxwx::DecorateMainWindow(*m_window);
    m_window->Move(0, 0);
    m_window->ShowModeless();
    ASSERT_TRUE(
        guitest::WaitFor([this] { return m_window->IsShownOnScreen() || m_window->HasEnded(); }));
    guitest::Pump(150);
}

void MainWindowTest::Finish() {
    if (!m_window)
        return;
    if (!m_window->HasEnded())
        m_window->Close();
    m_window->FinishDialog();
    m_window->Destroy();
    m_window = nullptr;
    guitest::Pump(50);
}

std::vector<std::string> MainWindowTest::ListItems() {
    std::vector<std::string> items;
    const int n = m_window->ListCount(ctl::kClipList);
    for (int i = 0; i < n; ++i)
        items.push_back(m_window->ListGetText(ctl::kClipList, i));
    return items;
}

std::vector<std::string> MainWindowTest::TakeAudio() {
    std::vector<std::string> lines;
    lines.swap(m_audio);
    return lines;
}

void MainWindowTest::ClickControl(int id) {
    wxWindow* w = Control(id);
    ASSERT_NE(w, nullptr) << "no control " << id;
    guitest::Click(w);
    guitest::Pump(100);
}
