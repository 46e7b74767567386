// PC audio output: one object (its state record, back end and failure
// reporter) that plays one WAV clip at a time at a master volume given as a
// percentage. A program's composition root owns it and puts it in its Services.
//
// The module runs on the main dialog's thread only and reaches the sound
// output only through its AudioBackend (audio_backend.h): a clip starts after
// the one before is stopped (when one was loaded), the master gain is set
// only when the requested percentage differs from the applied one, and a stop
// touches the back end only when a clip was loaded and still sounds. After a
// failed (or never made) Open no play reaches the back end: every Play
// reports a failure.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "playback/audio/audio_backend.h"

struct AudioState {
    bool opened = false;        // Open succeeded (the back end is ready)
    bool segmentLoaded = false; // a clip was started and not yet released
    int levelMax = 1000;        // hundredths of a dB at 100 percent
    int levelMin = -1500;       // hundredths of a dB at 0 percent
    int requestedPercent = 0;   // volume the next clip is to get
    int appliedPercent = -1;    // last volume handed to the back end; -1 none
    bool busy = false;          // a play request is being carried out
    // Open handed the back end its Open (successful or not) and Close
    // has not yet closed it: Close calls the back end's Close exactly once
    // per Open that reached a back end.
    bool backendOpenCalled = false;
};

// Level in hundredths of a dB for a percentage:
// (levelMax - levelMin) * percent / 100 + levelMin, the division truncated
// toward zero; 25 * percent - 1500 with the fixed range. A percentage outside
// 0..100 is first clamped to 0..100, so the level never leaves the range.
int VolumeLevel(const AudioState& state, int percent);

class PcAudio {
public:
    // Without a back end every Open fails. Destroying it does not Close: the
    // back end's destructor releases its device.
    explicit PcAudio(std::unique_ptr<AudioBackend> backend = nullptr);
    ~PcAudio();
    PcAudio(const PcAudio&) = delete;
    PcAudio& operator=(const PcAudio&) = delete;

    const AudioState& State() const { return m_state; }
    // Replaces the back end (the SDL one in the program, a recording one in
    // tests); the module forgets that the old one was opened (the old one's
    // destructor releases its device).
    void SetBackend(std::unique_ptr<AudioBackend> backend);

    // Resets the state (levels -1500..1000, requested 0, applied -1, no clip,
    // no request being carried out) and opens the back end. false when there
    // is no back end or its Open fails; the program goes on and every later
    // Play fails.
    bool Open(void* window);

    // Plays a clip; newPercent is the volume the trackbar moved to since the
    // last clip, or nothing when it did not move (the master gain then stays).
    // While an earlier request is being carried out (on the one thread only a
    // request made while its failure message is open) the sounding clip is
    // stopped and this request is dropped: nothing waits, it reports nothing,
    // and false tells the caller that newPercent was not taken over.
    // Otherwise the clip is started and true returned, also when it failed to
    // start: the failure reporter has then run (with busy still set). Returns
    // once the clip has started; it does not wait for its end.
    [[nodiscard]] bool Play(const std::string& path, std::optional<int> newPercent);

    // Stops what sounds when a clip was loaded, closes the back end (once per
    // Open that reached it) and resets the state to Closed. It never waits: a
    // request that is still being carried out is the caller's own (Close from
    // within its failure message), so busy is left to that request to clear.
    // Valid in every state, also twice in a row.
    void Close();

    // Starts a clip, replacing the one before; true when it has started, false
    // also when the back end ran out of memory for it (std::bad_alloc).
    bool StartClip(const std::string& path);
    // Stops the clip when one was loaded and still sounds; segmentLoaded keeps its
    // value so the next StartClip still releases the clip.
    void StopClip();
    // Sets the percentage the next clip is to get (requestedPercent).
    void SetClipVolume(int percent);

    // What Play calls when a play fails: the player installs one that shows
    // message 125 ("音声の再生に失敗しました", error icon, OK button). Without
    // one (or with an empty function) a failure is reported to no one.
    void SetFailureReporter(std::function<void()> reporter);

private:
    // The back end when Open opened it; nullptr otherwise.
    AudioBackend* OpenBackend() const;

    AudioState m_state;
    std::unique_ptr<AudioBackend> m_backend;
    std::function<void()> m_reporter;
};
