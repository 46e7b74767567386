// A clip converted to the device format a piece at a time, as it plays.
//
// The pieces join up to exactly what converting the whole clip at once gives:
// SDL_ConvertAudio (SDL_AudioCVT) of all its frames, or a copy of each sample
// to every channel for a mono clip that differs from the device in nothing
// else (SDL_ConvertAudio would go through float and change large 16-bit
// samples by one). Each piece is converted together with enough frames on
// either side that SDL's resampler sees what it would see in the whole clip,
// starting at a frame where the resampler's phase and SDL's block-wise
// conversions line up as in the whole clip; only the frames of the piece
// itself are kept. (SDL 2.26's SDL_AudioStream resamples every put on its
// own, so its pieces drift apart when the rates are not in a whole ratio.)
// Where the phase repeats only every second or so (44,099 or 48,001 Hz for a
// 44,100 Hz device), a piece converts seconds of the clip, and the last one up
// to 16 s more: after the first piece, a thread of the stream converts the
// pieces ahead of playback, so that the device callback only hands them on.
//
// Samples that SDL takes as they are (8, 16 and 32-bit PCM, 32-bit float) are
// read from the file as they are needed; other formats are decoded by
// SDL_LoadWAV a run of whole blocks at a time.
#pragma once

#include <SDL.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "playback/audio/wav_header.h"
#include "playback/sdl/sdl_library.h"

class ClipStream {
public:
    // The file must have passed its check. gain: the master gain level; sdl:
    // the loaded library, which outlives the stream.
    ClipStream(const sdlapi::Library& sdl, std::unique_ptr<WavFile> file,
               const SDL_AudioSpec& device, int gain);
    // Waits for the piece being converted ahead, if any.
    ~ClipStream();
    ClipStream(const ClipStream&) = delete;
    ClipStream& operator=(const ClipStream&) = delete;

    // Reads the clip's start and prepares its conversion; false, with the
    // reason, when it cannot be decoded or converted.
    bool Start(std::string& error);
    // The next piece in the device format with the gain applied (whole
    // device frames, at least one device buffer until the last); false, with
    // out empty, when the clip has ended (or reading it failed). The first
    // call converts its piece itself and starts the thread that converts the
    // rest ahead (at least two pieces and eight device buffers); later calls
    // take what it converted, and wait only while conversion is behind
    // playback. Without a thread (it could not be started), each call
    // converts its piece itself.
    bool Next(std::vector<std::uint8_t>& out, std::string& error);
    // True once every piece was handed out (any thread may ask).
    bool Ended() const;

    // Test seam: called with the number of source frames of each conversion,
    // on the thread that converts.
    std::function<void(std::size_t)> onConvert;

private:
    // Converts the next piece (what Next hands out).
    bool ConvertPiece(std::vector<std::uint8_t>& out, std::string& error);
    // The thread's loop: converts pieces while fewer than m_lead bytes wait.
    void ConvertAhead();
    // Reads (or decodes) on until m_input reaches the given frame or the end.
    bool Decode(std::size_t frames, std::string& error);
    // Converts the source frames [from, to) into m_work; the bytes it holds.
    std::size_t Convert(std::size_t from, std::size_t to, std::string& error);

    const sdlapi::Library& m_sdl;
    std::unique_ptr<WavFile> m_file;
    SDL_AudioSpec m_device;
    int m_gain;
    bool m_native = false;     // samples read as they are; otherwise decoded by SDL
    SDL_AudioSpec m_source{};  // format of the decoded samples
    std::size_t m_frame = 0;   // bytes per decoded frame
    std::size_t m_deviceFrame; // bytes per device frame
    SDL_AudioCVT m_cvt{};      // the whole-clip conversion (m_cvt.needed 0: a copy)
    bool m_duplicate = false;  // mono to every channel by copying
    std::size_t m_ratioIn = 1; // m_ratioIn source frames give m_ratioOut device frames
    std::size_t m_ratioOut = 1;
    std::size_t m_margin = 0;          // frames converted on either side of a piece
    std::size_t m_align = 1;           // the last conversion starts at a multiple
    std::size_t m_piece = 0;           // source frames of a piece
    std::vector<std::uint8_t> m_input; // decoded frames from m_inputStart on
    std::size_t m_inputStart = 0;
    std::size_t m_next = 0;       // first frame of the next piece
    std::size_t m_end = SIZE_MAX; // frames in the clip, once its end was read
    std::vector<std::uint8_t> m_work;

    std::size_t m_lead = 0; // device bytes the thread keeps converted ahead
    std::thread m_ahead;
    bool m_aheadTried = false;
    // Shared with the thread; guarded by m_mutex.
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<std::uint8_t>> m_ready; // converted, not handed out
    std::size_t m_readyBytes = 0;
    bool m_converted = false; // no piece is left to convert
    bool m_stop = false;
    std::string m_error; // why conversion ended early
};
