#include "playback/audio/audio.h"

#include <algorithm>
#include <new>

#include "playback/audio/audio_backend.h"

namespace {

// Everything but busy back to the state before Open: a Close from within a
// request's failure message leaves busy to that request to clear.
void ResetState(AudioState& state) {
    const bool busy = state.busy;
    state = AudioState{};
    state.busy = busy;
}

} // namespace

PcAudio::PcAudio(std::unique_ptr<AudioBackend> backend) : m_backend(std::move(backend)) {}

PcAudio::~PcAudio() = default;

void PcAudio::SetBackend(std::unique_ptr<AudioBackend> backend) {
    m_state.opened = false;
    m_state.segmentLoaded = false;
    m_state.backendOpenCalled = false;
    m_backend = std::move(backend);
}

AudioBackend* PcAudio::OpenBackend() const {
    return m_state.opened ? m_backend.get() : nullptr;
}

int VolumeLevel(const AudioState& state, int percent) {
    const long long p = std::clamp(percent, 0, 100);
    const long long range = static_cast<long long>(state.levelMax) - state.levelMin;
    // The quotient is truncated toward zero, also when the range is negative.
    return static_cast<int>(range * p / 100 + state.levelMin);
}

bool PcAudio::Open(void* window) {
    AudioState& state = m_state;
    state = AudioState{};
    AudioBackend* backend = m_backend.get();
    if (!backend)
        return false;
    state.backendOpenCalled = true;
    state.opened = backend->Open(window);
    return state.opened;
}

bool PcAudio::StartClip(const std::string& path) {
    AudioState& state = m_state;
    AudioBackend* backend = OpenBackend();
    if (!backend)
        return false; // Open failed or never ran: nothing to play with

    // The clip before is released (cut off when it still sounds).
    if (state.segmentLoaded) {
        backend->StopAll();
        state.segmentLoaded = false;
    }
    // The master gain, only when a different percentage was requested; it
    // counts as applied even when setting it fails.
    if (state.requestedPercent != state.appliedPercent) {
        state.appliedPercent = state.requestedPercent;
        if (!backend->SetMasterGain(VolumeLevel(state, state.appliedPercent)))
            return false;
    }
    // The file is read anew and started once. A clip that does not fit in
    // memory fails like an unreadable one, whatever the back end.
    try {
        if (!backend->Play(path))
            return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    state.segmentLoaded = true;
    return true;
}

void PcAudio::StopClip() {
    AudioState& state = m_state;
    AudioBackend* backend = OpenBackend();
    if (!backend || !state.segmentLoaded)
        return;
    if (!backend->IsPlaying())
        return;
    backend->StopAll();
}

void PcAudio::SetClipVolume(int percent) {
    m_state.requestedPercent = percent;
}

bool PcAudio::Play(const std::string& path, std::optional<int> newPercent) {
    AudioState& state = m_state;
    if (state.busy) {
        // A nested request: the earlier one cannot finish while this one runs
        // on the same thread, so it is not waited for; the sounding clip is
        // stopped and this request is dropped.
        StopClip();
        return false;
    }
    if (newPercent)
        SetClipVolume(*newPercent);
    state.busy = true;
    if (!StartClip(path) && m_reporter)
        m_reporter();
    m_state.busy = false;
    return true;
}

void PcAudio::Close() {
    // Nothing waits for busy: on the one thread a request that is still being
    // carried out (Close called from its failure message) cannot finish
    // before this call returns.
    AudioState& state = m_state;
    AudioBackend* backend = m_backend.get();
    if (backend && state.opened && state.segmentLoaded)
        backend->StopAll();
    if (backend && state.backendOpenCalled)
        backend->Close();
    ResetState(state);
}

void PcAudio::SetFailureReporter(std::function<void()> reporter) {
    m_reporter = std::move(reporter);
}
