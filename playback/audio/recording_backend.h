// An audio back end without sound: it records what it is asked, one line per
// call, for tests and the scenario runner. Transcript contract (exact forms):
//   audio open -> ok            Open (or "-> fail" when built to fail)
//   audio gain LEVEL            SetMasterGain, LEVEL in hundredths of a dB
//   audio play PATH -> ok       Play; "-> fail" when the file cannot be read or
//                               is not a valid WAV (see wav_header.h)
//   audio stop                  StopAll
//   audio close                 Close
// IsPlaying writes no line. The back end has no clock: a clip counts as
// sounding from a successful Play until StopAll or Close (it never ends on its
// own); a failed Play leaves what sounded before as it was.
#pragma once

#include <functional>
#include <string>

#include "playback/audio/audio_backend.h"

class RecordingAudioBackend final : public AudioBackend {
public:
    using LineSink = std::function<void(const std::string&)>;

    struct Options {
        bool failOpen = false; // Open answers false ("audio open -> fail")
        bool failGain = false; // SetMasterGain answers false (the line is written)
    };

    explicit RecordingAudioBackend(LineSink sink);
    RecordingAudioBackend(LineSink sink, Options options);

    bool Open(void* window) override;
    bool SetMasterGain(int level) override;
    bool Play(const std::string& path) override;
    bool IsPlaying() const override;
    void StopAll() override;
    void Close() override;

    // Why the last Play failed (empty after a successful one).
    const std::string& LastError() const { return m_lastError; }

private:
    void Emit(const std::string& line);

    LineSink m_sink;
    Options m_options;
    bool m_playing = false;
    std::string m_lastError;
};
