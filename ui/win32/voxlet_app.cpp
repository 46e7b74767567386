#include "ui/win32/voxlet_app.h"

#include <memory>

#include "core/start_folder.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/system_http.h"
#include "playback/audio/audio_backend.h"
#include "playback/winmm/waveout_backend.h"
#include "ui/voxlet_dlg.h"
#include "ui/win32/win32_dialog.h"
#include "ui/win32/win32_prompts.h"

namespace voxwin {

int RunVoxlet() {
    Win32Prompts prompts;
    platform::SetPrompts(&prompts);
    EnterDemoWhenNoData(platform::ExecutableFolder());
    const auto http = platform::NewSystemHttpTransport();
    platform::SetHttpTransport(http.get());
    SetAudioBackend(std::make_unique<WaveOutBackend>());
    {
        CVoxletDlg dlg;
        Win32Dialog window(dlg, true);
        window.RunModal();
    }
    SetAudioBackend(nullptr);
    platform::SetHttpTransport(nullptr);
    platform::SetPrompts(nullptr);
    return 0;
}

} // namespace voxwin
