#include "playback/sdl/clip_stream.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <numeric>
#include <system_error>

#include "playback/sdl/sdl_backend.h"

namespace {

// Bytes of samples read from the file at a time (at least one block).
constexpr std::size_t kReadBytes = 16384;
// SDL's converters treat samples in blocks (of up to 16 frames) and the few
// left over one by one, which can round differently; a conversion that starts
// at a multiple of 16 frames in- and output splits them as the whole clip's.
constexpr std::size_t kBlockFrames = 16;
// For rates whose resampler period is longer than this / 16 frames, the last
// piece starts at a multiple of the period only (its last frames may then
// differ by one step from the whole clip's).
constexpr std::size_t kMaxAlign = std::size_t{1} << 20;
// The thread converts ahead until at least this many device buffers, and at
// least two pieces, wait to be handed out.
constexpr std::size_t kLeadBuffers = 8;

std::size_t RoundUp(std::size_t v, std::size_t unit) {
    return (v + unit - 1) / unit * unit;
}

// The SDL format of samples that SDL_LoadWAV hands on unchanged; 0 for the
// formats it decodes.
SDL_AudioFormat NativeFormat(const WavInfo& info) {
    if (info.formatTag == WAV_FORMAT_IEEE_FLOAT)
        return AUDIO_F32LSB;
    if (info.formatTag != WAV_FORMAT_PCM)
        return 0;
    switch (info.bitsPerSample) {
    case 8:
        return AUDIO_U8;
    case 16:
        return AUDIO_S16LSB;
    case 32:
        return AUDIO_S32LSB;
    default:
        return 0; // 24 bits: SDL widens them
    }
}

} // namespace

ClipStream::ClipStream(const sdlapi::Library& sdl, std::unique_ptr<WavFile> file,
                       const SDL_AudioSpec& device, int gain)
    : m_sdl(sdl), m_file(std::move(file)), m_device(device), m_gain(gain),
      m_deviceFrame(SDL_AUDIO_BITSIZE(device.format) / 8 * device.channels) {}

ClipStream::~ClipStream() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_ahead.joinable())
        m_ahead.join();
}

bool ClipStream::Start(std::string& error) {
    const WavInfo& info = m_file->Check().info;
    if (const SDL_AudioFormat format = NativeFormat(info)) {
        m_native = true;
        m_source.format = format;
        m_source.channels = static_cast<Uint8>(info.channels);
        m_source.freq = static_cast<int>(info.sampleRate);
        m_frame = info.blockAlign;
    } else if (!Decode(1, error)) { // SDL tells the decoded format
        return false;
    }
    if (m_sdl.BuildAudioCVT(&m_cvt, m_source.format, m_source.channels, m_source.freq,
                            m_device.format, m_device.channels, m_device.freq) < 0) {
        error = std::string("cannot convert to the device format: ") + m_sdl.GetError();
        return false;
    }
    m_duplicate = m_cvt.needed && m_source.format == m_device.format &&
                  m_source.freq == m_device.freq && m_source.channels == 1;

    const auto in = static_cast<std::size_t>(m_source.freq);
    const auto out = static_cast<std::size_t>(m_device.freq);
    m_align = kBlockFrames;
    std::size_t pieceUnit = kBlockFrames;
    if (in != out) {
        // The resampler's phase repeats every m_ratioIn source frames; its
        // filter reaches a few source frames (more when it downsamples).
        const std::size_t g = std::gcd(in, out);
        m_ratioIn = in / g;
        m_ratioOut = out / g;
        m_margin = RoundUp(8 + (8 * in + out - 1) / out, m_ratioIn);
        m_align = kBlockFrames * m_ratioIn <= kMaxAlign ? kBlockFrames * m_ratioIn : m_ratioIn;
        pieceUnit = m_ratioIn;
    }
    const std::size_t buffer = static_cast<std::size_t>(m_device.samples);
    m_piece = RoundUp((buffer * in + out - 1) / out, pieceUnit);
    const std::size_t window = (m_piece + 2 * m_margin + m_align) * m_frame;
    const std::size_t growth = std::max<std::size_t>(m_cvt.len_mult, m_device.channels);
    if (window > INT_MAX / growth) {
        error = "cannot convert to the device format: its sample rate is too far from "
                "the device's";
        return false;
    }
    m_work.reserve(window * growth);
    m_lead = std::max(kLeadBuffers * buffer, 2 * m_piece / m_ratioIn * m_ratioOut) * m_deviceFrame;
    return true;
}

bool ClipStream::Decode(std::size_t frames, std::string& error) {
    const std::size_t block = m_file->Check().info.blockAlign;
    const std::size_t run = std::max<std::size_t>(kReadBytes / block, 1) * block;
    std::string bytes;
    while (m_end == SIZE_MAX &&
           (m_frame == 0 || m_inputStart + m_input.size() / m_frame < frames)) {
        bytes.resize(run);
        const std::size_t got = m_file->ReadData(bytes.data(), run);
        bytes.resize(got - got % block);
        if (m_native) {
            m_input.insert(m_input.end(), bytes.begin(), bytes.end());
        } else if (!bytes.empty() || m_frame == 0) {
            // Each block starts afresh, so SDL decodes a run of whole blocks
            // as it decodes them within the whole clip.
            const std::string wav = NormalisedWav(m_file->Fmt(), bytes);
            SDL_AudioSpec spec{};
            Uint8* samples = nullptr;
            Uint32 length = 0;
            SDL_RWops* rw = m_sdl.RWFromConstMem(wav.data(), static_cast<int>(wav.size()));
            if (!rw || !m_sdl.LoadWAV_RW(rw, 1, &spec, &samples, &length)) {
                error = m_sdl.GetError();
                return false;
            }
            if (m_frame == 0) {
                m_source = spec;
                m_frame = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
            }
            m_input.insert(m_input.end(), samples, samples + (length - length % m_frame));
            m_sdl.FreeWAV(samples);
        }
        if (got < run)
            m_end = m_inputStart + m_input.size() / m_frame;
    }
    return true;
}

std::size_t ClipStream::Convert(std::size_t from, std::size_t to, std::string& error) {
    if (onConvert)
        onConvert(to - from);
    const std::uint8_t* src = m_input.data() + (from - m_inputStart) * m_frame;
    const std::size_t bytes = (to - from) * m_frame;
    if (m_duplicate) {
        m_work.resize(bytes * m_device.channels);
        std::uint8_t* out = m_work.data();
        for (std::size_t f = 0; f < to - from; ++f)
            for (int c = 0; c < m_device.channels; ++c, out += m_frame)
                std::memcpy(out, src + f * m_frame, m_frame);
        return m_work.size();
    }
    m_work.assign(src, src + bytes);
    if (!m_cvt.needed || bytes == 0)
        return bytes;
    SDL_AudioCVT cvt = m_cvt;
    m_work.resize(bytes * static_cast<std::size_t>(cvt.len_mult));
    cvt.buf = m_work.data();
    cvt.len = static_cast<int>(bytes);
    if (m_sdl.ConvertAudio(&cvt) != 0) {
        error = std::string("conversion failed: ") + m_sdl.GetError();
        return 0;
    }
    return static_cast<std::size_t>(cvt.len_cvt);
}

bool ClipStream::Next(std::vector<std::uint8_t>& out, std::string& error) {
    if (!m_ahead.joinable()) {
        const bool more = ConvertPiece(out, error);
        const bool last = !more || m_next >= m_end;
        {
            std::lock_guard lock(m_mutex);
            m_converted = last;
        }
        if (!last && !m_aheadTried) {
            m_aheadTried = true;
            try {
                m_ahead = std::thread(&ClipStream::ConvertAhead, this);
            } catch (const std::system_error&) {
                // each call converts its piece itself
            }
        }
        return more;
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_ready.empty() || m_converted; });
    out.clear();
    if (m_ready.empty()) {
        error = m_error;
        return false;
    }
    out.swap(m_ready.front());
    m_ready.pop_front();
    m_readyBytes -= out.size();
    m_changed.notify_all();
    return true;
}

bool ClipStream::Ended() const {
    std::lock_guard lock(m_mutex);
    return m_converted && m_ready.empty();
}

void ClipStream::ConvertAhead() {
    std::unique_lock lock(m_mutex);
    while (!m_converted) {
        m_changed.wait(lock, [this] { return m_stop || m_readyBytes < m_lead; });
        if (m_stop)
            return;
        lock.unlock();
        std::vector<std::uint8_t> piece;
        std::string error;
        bool more = false;
        try {
            more = ConvertPiece(piece, error);
            lock.lock();
            if (more)
                m_ready.push_back(std::move(piece));
        } catch (const std::bad_alloc&) {
            more = false; // ends the clip like a read error
        }
        if (!lock.owns_lock())
            lock.lock();
        m_readyBytes += more ? m_ready.back().size() : 0;
        m_converted = !more || m_next >= m_end;
        m_error.swap(error);
        m_changed.notify_all();
    }
}

bool ClipStream::ConvertPiece(std::vector<std::uint8_t>& out, std::string& error) {
    out.clear();
    if (m_next >= m_end)
        return false;
    std::size_t end = m_next + m_piece;
    if (!Decode(end + m_margin, error)) {
        m_end = m_next;
        return false;
    }
    // The piece that reaches the clip's end takes all of it, converted from
    // a frame where SDL's blocks fall as in the whole clip.
    const bool last = m_end <= end + m_margin;
    std::size_t from = m_next > m_margin ? m_next - m_margin : 0;
    if (last) {
        end = m_end;
        from -= from % m_align;
    }
    const std::size_t converted = Convert(from, last ? end : end + m_margin, error);
    if (!error.empty()) {
        m_end = m_next;
        return false;
    }
    const std::size_t skip =
        std::min(converted, (m_next - from) / m_ratioIn * m_ratioOut * m_deviceFrame);
    std::size_t take = converted - skip;
    if (!last)
        take = std::min(take, (end - m_next) / m_ratioIn * m_ratioOut * m_deviceFrame);
    take -= take % m_deviceFrame;
    out.assign(m_work.begin() + static_cast<std::ptrdiff_t>(skip),
               m_work.begin() + static_cast<std::ptrdiff_t>(skip + take));
    if (!SdlAudioBackend::ApplyGain(out, m_device.format, m_gain)) {
        error = "the master gain cannot be applied to the device format";
        m_end = m_next;
        return false;
    }
    m_next = end;
    // Keep what the next conversion may start from.
    std::size_t keep = m_next > m_margin ? m_next - m_margin : 0;
    keep -= keep % m_align;
    m_input.erase(m_input.begin(),
                  m_input.begin() + static_cast<std::ptrdiff_t>((keep - m_inputStart) * m_frame));
    m_inputStart = keep;
    return !out.empty();
}
