// The services a benchmark's player runs with: prompts that answer every
// question with its default and PC audio, the settings file in folder dir.
#pragma once

#include <filesystem>

#include "core/services.h"
#include "playback/audio/audio.h"
#include "tools/headless/headless_prompts.h"

namespace bench {

struct PlayerServices {
    explicit PlayerServices(const std::filesystem::path& dir) {
        services.prompts = &prompts;
        services.audio = &audio;
        services.settingsPath = dir / "Voxlet.ini";
    }
    platform::HeadlessPrompts prompts{[](const std::string&) {}};
    PcAudio audio;
    Services services;
};

} // namespace bench
