#include "gui/gui_support.h"

#include <unistd.h>

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <filesystem>

#include "platform/paths.h"
#include "platform/sleep.h"
#include "playback/audio/audio.h"
#include "playback/audio/audio_backend.h"
#include "playback/audio/recording_backend.h"

namespace guitest {

int g_realDialogsAllowed = 0;

// Rows: set, text, note, file, id, seconds, category, then 12 flag columns
// (the first is 0x800, "not in list or random play").
const char* const kNinshikiCsv =
    "セット,テキスト,補足,ファイル,ID,秒,分類,除外,写真,旗,クイズ,カルタ,じゃんけん,タイマー,"
    "サッカー,留守番,ウォーク,オプション,プログラム\n"
    "1,おはよう,朝,NF02.wav,2,0,1,0,0,0,0,0,0,0,0,0,0,0,0\n"
    "1,こんにちは,昼,NF03.wav,3,0,1,0,0,0,0,0,0,0,0,0,0,0,0\n"
    "1,こんばんは,夜,NF04.wav,4,0,1,1,0,0,0,0,0,0,0,0,0,0,0\n"
    "1,さようなら,別れ,NF05.wav,5,0,1,0,0,0,0,0,0,0,0,0,0,0,0\n"
    "1,ティコ,名前,NF06.wav,6,0,2,0,0,0,0,0,0,0,0,0,0,0,0\n"
    "1,クイズです,問,NF07.wav,7,0,0,0,0,0,1,0,0,0,0,0,0,0,0\n";

const char* const kVoiceCsv =
    "セット,テキスト,補足,ファイル,ID,秒,分類,除外,写真,旗,クイズ,カルタ,じゃんけん,タイマー,"
    "サッカー,留守番,ウォーク,オプション,プログラム\n"
    "1,ただいま,帰宅,greet\\tadaima.wav,101,1,1,0,0,0,0,0,0,0,0,0,0,0,0\n"
    "1,おかえり,帰宅,greet\\okaeri.wav,102,2,1,0,0,0,0,0,0,0,0,0,0,0,0\n"
    "1,ロボだよ,ロボ,robo.wav,103,1,6,0,0,0,0,0,0,0,0,0,0,0,0\n";

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

wxPoint ScreenCentre(const wxWindow* window) {
    const wxRect r = window->GetScreenRect();
    return wxPoint(r.x + r.width / 2, r.y + r.height / 2);
}

void ClickAt(const wxPoint& screen, int button) {
    wxUIActionSimulator sim;
    sim.MouseMove(screen);
    Pump(60);
    sim.MouseClick(button == 3 ? wxMOUSE_BTN_RIGHT : wxMOUSE_BTN_LEFT);
    Pump(60);
}

void Click(const wxWindow* window, int button) {
    ClickAt(ScreenCentre(window), button);
}

void DoubleClickAt(const wxPoint& screen) {
    wxUIActionSimulator sim;
    sim.MouseMove(screen);
    Pump(60);
    sim.MouseDblClick();
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
    wxUIActionSimulator sim;
    sim.Char(keyCode);
    Pump(60);
}

std::string ArtifactDir() {
    std::filesystem::create_directories(VOXLET_ARTIFACT_DIR);
    return VOXLET_ARTIFACT_DIR;
}

} // namespace guitest

void MainWindowTest::SetUp() {
    char buf[4096];
    m_oldCwd = getcwd(buf, sizeof buf) ? buf : "/";
    ASSERT_EQ(chdir(m_dir.Path().c_str()), 0);
    platform::SetSettingsPathOverride(m_dir / "Voxlet.ini");
    platform::SetPrompts(&m_prompts);
    // No test waits for real: the preview's blocking wait is recorded.
    platform::SetSleepFunction(
        [this](int ms) { m_audio.push_back("sleep " + std::to_string(ms)); });
    SetAudioBackend(std::make_unique<RecordingAudioBackend>(
        [this](const std::string& line) { m_audio.push_back(line); }));

    Put("Ninshiki.csv", guitest::kNinshikiCsv);
    Put("voice.csv", guitest::kVoiceCsv);
    for (const char* clip : {"NF01", "NF02", "NF03", "NF04", "NF05", "NF06", "NF07"})
        PutWav(std::string("voice/Ninshiki/") + clip + ".wav");
    PutWav("voice/greet/tadaima.wav");
    PutWav("voice/greet/okaeri.wav");
    PutWav("voice/robo.wav");
    // Short waits: rows of 0 seconds plus a 100 ms margin.
    Settings("[SOUND]\r\nDEFAULT=30\r\n[PLAY]\r\nINTERVAL_MERGIN=100\r\n");
}

void MainWindowTest::TearDown() {
    if (m_window)
        Finish();
    m_dlg.reset();
    CloseAudio();
    SetAudioBackend(nullptr);
    platform::SetSleepFunction(nullptr);
    platform::SetPrompts(nullptr);
    platform::SetSettingsPathOverride(std::nullopt);
    (void)chdir(m_oldCwd.c_str());
}

void MainWindowTest::Put(const std::string& name, const std::string& text) {
    const bool dataFile = name.ends_with(".csv") || name.ends_with(".txt");
    testsupport::WriteFile(m_dir / name, dataFile ? testsupport::Cp932Crlf(text) : text);
}

void MainWindowTest::PutWav(const std::string& name) {
    testsupport::WriteFile(m_dir / name, testsupport::MakeWav(8000, 80));
}

void MainWindowTest::Settings(const std::string& text) {
    testsupport::WriteFile(m_dir / "Voxlet.ini", text);
}

std::string MainWindowTest::SettingsText() const {
    return testsupport::ReadFile(m_dir / "Voxlet.ini");
}

void MainWindowTest::Start() {
    m_dlg = std::make_unique<CVoxletDlg>();
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

wxListBox* MainWindowTest::List() {
    return static_cast<wxListBox*>(Control(ctl::kClipList));
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
