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
//
// Samples that SDL takes as they are (8, 16 and 32-bit PCM, 32-bit float) are
// read from the file as they are needed; other formats are decoded by
// SDL_LoadWAV a run of whole blocks at a time.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "playback/audio/wav_header.h"
#include "playback/sdl/sdl_library.h"

class ClipStream {
public:
    // The file must have passed its check. gain: the master gain level; sdl:
    // the loaded library, which outlives the stream.
    ClipStream(const sdlapi::Library& sdl, std::unique_ptr<WavFile> file,
               const SDL_AudioSpec& device, int gain);

    // Reads the clip's start and prepares its conversion; false, with the
    // reason, when it cannot be decoded or converted.
    bool Start(std::string& error);
    // The next piece in the device format with the gain applied (whole
    // device frames, at least one device buffer until the last); false, with
    // out empty, when the clip has ended (or reading it failed).
    bool Next(std::vector<std::uint8_t>& out, std::string& error);
    bool Ended() const { return m_next >= m_end; }

private:
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
};
