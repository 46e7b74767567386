#include "ui/wx/voxlet_app.h"

#include "core/start_folder.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/system_http.h"
#include "playback/audio/audio_backend.h"
#include "ui/voxlet_dlg.h"
#include "ui/wx/wx_desktop.h"
#include "ui/wx/wx_main_window.h"
#include "ui/wx/wx_prompts.h"
#include "ui/wx/wx_quit.h"

#ifdef VOXLET_HAVE_SDL
#include "playback/sdl/sdl_backend.h"
#endif

int CVoxletApp::s_quitSignal = 0;

CVoxletApp::CVoxletApp() = default;
CVoxletApp::~CVoxletApp() = default;

bool CVoxletApp::OnInit() {
    voxwx::SetUpLocale();
    voxwx::KeepFocusVisible();
    voxwx::NameMessageBoxesByTitle();
    return true;
}

int CVoxletApp::OnRun() {
    InitInstance();
    return 0;
}

int CVoxletApp::OnExit() {
    m_quit.reset();
    return wxApp::OnExit();
}

bool CVoxletApp::InitInstance() {
    s_quitSignal = 0;
    m_quit = std::make_unique<voxwx::QuitOnSignals>();
    m_quit->Install();
    m_prompts = std::make_unique<voxwx::WxPrompts>();
    const std::string settingsPath = platform::SettingsFilePath();
    EnterDataFolder(platform::ExecutableFolder(), settingsPath);
    if (!m_http)
        m_http = platform::NewSystemHttpTransport();
#ifdef VOXLET_HAVE_SDL
    PcAudio audio(std::make_unique<SdlAudioBackend>());
#else
    PcAudio audio;
#endif
    Services services;
    services.prompts = m_prompts.get();
    services.audio = &audio;
    services.settingsPath = settingsPath;
    services.http = m_http.get();
    {
        CVoxletDlg dlg(services);
        voxwx::WxTemplateDialog window(nullptr, dlg, voxwx::kMainWindowStyle);
        voxwx::DecorateMainWindow(window);
        SetTopWindow(&window);
        window.RunModal();
        SetTopWindow(nullptr);
    }
    m_quit->Stop();
    s_quitSignal = m_quit->Received();
    return false;
}
