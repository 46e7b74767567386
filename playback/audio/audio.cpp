#include "playback/audio/audio.h"

#include <algorithm>

#include "playback/audio/audio_backend.h"

namespace {

AudioFailureReporter& Reporter() {
    static AudioFailureReporter reporter;
    return reporter;
}

void ReportPlayFailure() {
    if (Reporter())
        Reporter()();
}

// The back end when OpenAudio opened it; nullptr otherwise.
AudioBackend* OpenBackend() {
    return GetAudioState().opened ? GetAudioBackend() : nullptr;
}

// Everything but busy back to the state before OpenAudio.
void ResetState(AudioState& state) {
    const bool busy = state.busy;
    state = AudioState{};
    state.busy = busy;
}

} // namespace

AudioState& GetAudioState() {
    static AudioState state;
    return state;
}

int VolumeLevel(const AudioState& state, int percent) {
    const long long p = std::clamp(percent, 0, 100);
    const long long range = static_cast<long long>(state.levelMax) - state.levelMin;
    // The quotient is truncated toward zero, also when the range is negative.
    return static_cast<int>(range * p / 100 + state.levelMin);
}

bool OpenAudio(void* window) {
    AudioState& state = GetAudioState();
    ResetState(state);
    AudioBackend* backend = GetAudioBackend();
    if (!backend)
        return false;
    state.backendOpenCalled = true;
    state.opened = backend->Open(window);
    return state.opened;
}

bool StartClip(const std::string& path) {
    AudioState& state = GetAudioState();
    AudioBackend* backend = OpenBackend();
    if (!backend)
        return false; // OpenAudio failed or never ran: nothing to play with

    // 1. Release the clip before (cuts off one that still sounds).
    if (state.segmentLoaded) {
        backend->StopAll();
        state.segmentLoaded = false;
    }
    // 2. The master volume, only when a different percentage was requested; it
    //    counts as applied even when setting it fails.
    if (state.requestedPercent != state.appliedPercent) {
        state.appliedPercent = state.requestedPercent;
        if (!backend->SetMasterGain(VolumeLevel(state, state.appliedPercent)))
            return false;
    }
    // 3./4. Read the file anew and start it once.
    if (!backend->Play(path))
        return false;
    state.segmentLoaded = true;
    return true;
}

void StopClip() {
    AudioState& state = GetAudioState();
    AudioBackend* backend = OpenBackend();
    if (!backend || !state.segmentLoaded)
        return;
    if (!backend->IsPlaying())
        return;
    backend->StopAll();
}

void SetClipVolume(int percent) {
    GetAudioState().requestedPercent = percent;
}

void PlayClip(bool& volumeChanged, const std::string& path, int percent) {
    AudioState& state = GetAudioState();
    if (state.busy) {
        // A nested request: the earlier one cannot finish while this one runs
        // on the same thread, so it is not waited for; the sounding clip is
        // stopped and this request is dropped.
        StopClip();
        return;
    }
    if (volumeChanged) {
        SetClipVolume(percent);
        volumeChanged = false;
    }
    state.busy = true;
    if (!StartClip(path))
        ReportPlayFailure();
    GetAudioState().busy = false;
}

void CloseAudio() {
    // Nothing waits for busy: on the one thread a request that is still being
    // carried out (CloseAudio called from its failure message) cannot finish
    // before this call returns.
    AudioState& state = GetAudioState();
    AudioBackend* backend = GetAudioBackend();
    if (backend && state.opened && state.segmentLoaded)
        backend->StopAll();
    if (backend && state.backendOpenCalled)
        backend->Close();
    ResetState(state);
}

void SetAudioFailureReporter(AudioFailureReporter reporter) {
    Reporter() = std::move(reporter);
}
