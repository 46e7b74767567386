// What PC audio needs from a sound back end: play a WAV file once from its
// start, stop everything that sounds, and apply a master gain.
#pragma once

#include <memory>
#include <string>

class AudioBackend {
public:
    virtual ~AudioBackend() = default;
    // Prepares the output device; false when there is none.
    virtual bool Open(void* window) = 0;
    // Master gain in hundredths of a decibel (-1500 .. +1000). false on failure.
    virtual bool SetMasterGain(int level) = 0;
    // Reads the file anew and starts it once from its start, replacing whatever
    // sounds. false when the file is missing, unreadable or not a playable WAV,
    // or does not fit in memory; PcAudio also takes a std::bad_alloc out of
    // Play as false.
    virtual bool Play(const std::string& path) = 0;
    // True while the last started clip is still sounding.
    virtual bool IsPlaying() const = 0;
    // Stops everything that sounds.
    virtual void StopAll() = 0;
    // Releases the device. Valid in every state.
    virtual void Close() = 0;
};
