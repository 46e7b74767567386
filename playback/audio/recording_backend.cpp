#include "playback/audio/recording_backend.h"

#include "playback/audio/wav_header.h"

RecordingAudioBackend::RecordingAudioBackend(LineSink sink)
    : RecordingAudioBackend(std::move(sink), Options{}) {}

RecordingAudioBackend::RecordingAudioBackend(LineSink sink, Options options)
    : m_sink(std::move(sink)), m_options(options) {}

void RecordingAudioBackend::Emit(const std::string& line) {
    if (m_sink)
        m_sink(line);
}

bool RecordingAudioBackend::Open(void*) {
    const bool ok = !m_options.failOpen;
    Emit(std::string("audio open -> ") + (ok ? "ok" : "fail"));
    return ok;
}

bool RecordingAudioBackend::SetMasterGain(int level) {
    Emit("audio gain " + std::to_string(level));
    return !m_options.failGain;
}

bool RecordingAudioBackend::Play(const std::string& path) {
    // Read and check the file anew on every play (nothing is cached).
    WavCheck check = CheckWavFile(path);
    if (check.ok()) {
        m_lastError.clear();
        m_playing = true;
    } else {
        m_lastError = check.message; // what sounded before goes on
    }
    Emit("audio play " + path + " -> " + (check.ok() ? "ok" : "fail"));
    return check.ok();
}

bool RecordingAudioBackend::IsPlaying() const {
    return m_playing;
}

void RecordingAudioBackend::StopAll() {
    m_playing = false;
    Emit("audio stop");
}

void RecordingAudioBackend::Close() {
    m_playing = false;
    Emit("audio close");
}
