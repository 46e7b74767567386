// The SDL2 audio back end of the program: one output device opened once, and
// the clip that plays, handed to the device callback a piece at a time.
//
// Open initialises SDL's audio subsystem and opens the default device with the
// requested format (S16 stereo 44100 Hz by default) and no allowed changes, so
// SDL converts to whatever the hardware takes and the device format seen here is
// exactly the requested one. Play reads the file anew every time (nothing is
// cached): it opens and checks it as a WavFile (wav_header.h: the verdict of
// every back end, with specific errors), converts its first piece (a
// ClipStream: the device format, what converting the whole clip would give;
// a clip without samples plays as silence), and swaps it in under the device
// lock at position 0, so a clip that still sounds is cut off at once; then it
// unpauses the device. The stream's own thread converts the following pieces
// ahead of the device, reading the file on; the callback hands them on. The
// master gain scales samples with clamping (factor 10^(level/2000); no change
// at all for level 0). A failed Play leaves what sounds as it is.
// SetMasterGain takes effect from the next Play. IsPlaying is true while clip
// data remains to be handed to the device.
//
// SDL2 itself is loaded when audio first opens (sdl_library.h): a system
// without it, or with a broken one, still starts, and the open fails with the
// loader's reason.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "playback/audio/audio_backend.h"
#include "playback/sdl/sdl_library.h"

class ClipStream;

class SdlAudioBackend final : public AudioBackend {
public:
    struct Options {
        // AUDIO_S16SYS, AUDIO_S32SYS, AUDIO_F32SYS, AUDIO_U8 or AUDIO_S8.
        SDL_AudioFormat format = AUDIO_S16SYS;
        int frequency = 44100;
        int channels = 2;
        int samples = 1024; // device buffer in sample frames
    };

    SdlAudioBackend();
    explicit SdlAudioBackend(Options options);
    ~SdlAudioBackend() override;
    SdlAudioBackend(const SdlAudioBackend&) = delete;
    SdlAudioBackend& operator=(const SdlAudioBackend&) = delete;

    bool Open(void* window) override;
    // Accepts -20000..+2000 (DirectMusic's master volume range); false outside.
    bool SetMasterGain(int level) override;
    bool Play(const std::string& path) override;
    bool IsPlaying() const override;
    void StopAll() override;
    void Close() override;

    // Why the last Open or Play failed.
    const std::string& LastError() const { return m_lastError; }

    // ApplySampleGain (sample_gain.h) on samples of an SDL format; false for
    // a format it does not know.
    static bool ApplyGain(std::vector<std::uint8_t>& samples, SDL_AudioFormat format, int level);

private:
    static void SDLCALL Callback(void* userdata, Uint8* stream, int len);
    bool Fail(std::string message);
    // In the callback: the clip's next piece into m_clip; false at its end.
    bool Refill();

    Options m_options;
    const sdlapi::Library* m_sdl = nullptr; // loaded by the first Open
    bool m_subsystem = false;
    SDL_AudioDeviceID m_device = 0;
    SDL_AudioSpec m_spec{};
    int m_gain = 0;
    std::string m_lastError;
    // Shared with the device callback; guarded by SDL_LockAudioDevice.
    std::unique_ptr<ClipStream> m_stream; // the rest of the clip
    std::vector<std::uint8_t> m_clip;     // its piece being handed out
    std::size_t m_pos = 0;
};
