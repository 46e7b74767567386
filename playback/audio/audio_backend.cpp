#include "playback/audio/audio_backend.h"

#include "playback/audio/audio.h"

namespace {
std::unique_ptr<AudioBackend>& Installed() {
    static std::unique_ptr<AudioBackend> backend;
    return backend;
}
} // namespace

void SetAudioBackend(std::unique_ptr<AudioBackend> backend) {
    // The module must never reach a back end that is gone: it forgets that the
    // old one was opened (the old one's destructor releases its device).
    AudioState& state = GetAudioState();
    state.opened = false;
    state.segmentLoaded = false;
    state.backendOpenCalled = false;
    Installed() = std::move(backend);
}

AudioBackend* GetAudioBackend() {
    return Installed().get();
}
