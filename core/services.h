// Services: what a program gives the player and the dialog logic of the
// outside world, and PC audio. Each program's composition root (voxlet's CVoxletApp,
// voxlet-script's runner, a test fixture) builds one, keeps it alive as long
// as the dialog, and hands it to CVoxletDlg or CVoicePlayer; nothing else
// installs anything process-wide. The layers below the core get the pieces
// they use as arguments (a Prompts& to show a message, the settings path to
// read a key), so this header sits at the lowest layer that sees them all.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/http_transport.h"
#include "platform/profile.h"
#include "platform/prompts.h"
#include "platform/sleep.h"
#include "playback/audio/audio.h"

struct Services {
    // Message boxes, file dialogs and modal dialogs; never null.
    platform::Prompts* prompts = nullptr;
    // PC audio with its back end (SDL in the program, a recording one in the
    // runner and the tests); never null.
    PcAudio* audio = nullptr;
    // The settings file (platform::SettingsFilePath() for the program itself).
    std::string settingsPath;
    // The FlashAir exchanges; null: every exchange fails with its message.
    platform::HttpTransport* http = nullptr;
    // One line per FlashAir exchange (see link/flashair_client.h); may be empty.
    platform::HttpTraceHook httpTrace;
    // Called after every settings value the file took; may be empty.
    platform::ProfileWriteHook profileWrite;
    // The one blocking wait, and seconds since the epoch; a virtual clock in
    // tests and the scenario runner.
    std::function<void(int ms)> sleep = platform::Sleep;
    std::function<std::int64_t()> now = platform::CurrentTimeSeconds;
};
