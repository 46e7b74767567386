#include "ui/win32/voxlet_app.h"

#include <memory>

#include "core/services.h"
#include "core/start_folder.h"
#include "platform/paths.h"
#include "platform/system_http.h"
#include "playback/winmm/waveout_backend.h"
#include "ui/voxlet_dlg.h"
#include "ui/win32/win32_dialog.h"
#include "ui/win32/win32_prompts.h"

namespace voxwin {

int RunVoxlet() {
    Win32Prompts prompts; // first made and last gone: COM spans the program
    const auto http = platform::NewSystemHttpTransport();
    PcAudio audio(std::make_unique<WaveOutBackend>());
    Services services;
    services.prompts = &prompts;
    services.audio = &audio;
    services.settingsPath = platform::SettingsFilePath();
    services.http = http.get();
    EnterDataFolder(platform::ExecutableFolder(), services.settingsPath);
    {
        CVoxletDlg dlg(services);
        Win32Dialog window(dlg, true);
        window.RunModal();
    }
    return 0;
}

} // namespace voxwin
