// The waveOut back end of PC audio on Windows. Play reads the file anew
// (WavFile: the verdict every back end shares), turns its samples into
// 16-bit PCM (ToPcm16 for uncompressed formats, the system's audio
// compression manager for ADPCM, A-law and mu-law), applies the master gain
// in software (ApplySampleGain: waveOutSetVolume cannot exceed unity), and
// hands the whole clip to a wave-mapper device opened for its format, so a
// clip that still sounds is cut off at once. A failed Play leaves what sounds
// as it is. SetMasterGain takes effect from the next Play. IsPlaying is true
// until the device has returned the clip's buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "playback/audio/audio_backend.h"

class WaveOutBackend final : public AudioBackend {
public:
    WaveOutBackend();
    ~WaveOutBackend() override;
    WaveOutBackend(const WaveOutBackend&) = delete;
    WaveOutBackend& operator=(const WaveOutBackend&) = delete;

    // false when the system has no wave output device.
    bool Open(void* window) override;
    // Accepts -20000..+2000, as the SDL back end; false outside.
    bool SetMasterGain(int level) override;
    bool Play(const std::string& path) override;
    bool IsPlaying() const override;
    void StopAll() override;
    void Close() override;

    const std::string& LastError() const { return m_lastError; }

private:
    struct Device;
    bool Fail(std::string message);

    bool m_open = false;
    int m_gain = 0;
    std::string m_lastError;
    std::unique_ptr<Device> m_device; // the clip that sounds, or none
};
