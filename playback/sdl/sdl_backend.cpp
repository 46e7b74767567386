#include "playback/sdl/sdl_backend.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "playback/audio/wav_header.h"

namespace {

bool KnownFormat(SDL_AudioFormat f) {
    return f == AUDIO_S16SYS || f == AUDIO_S32SYS || f == AUDIO_F32SYS || f == AUDIO_U8 ||
           f == AUDIO_S8;
}

template <typename T>
void ScaleInt(std::vector<std::uint8_t>& bytes, double factor, double lo, double hi,
              double offset) {
    const std::size_t n = bytes.size() / sizeof(T);
    for (std::size_t i = 0; i < n; ++i) {
        T s;
        std::memcpy(&s, bytes.data() + i * sizeof(T), sizeof(T));
        double v = std::nearbyint((static_cast<double>(s) - offset) * factor);
        v = std::clamp(v, lo, hi) + offset;
        s = static_cast<T>(v);
        std::memcpy(bytes.data() + i * sizeof(T), &s, sizeof(T));
    }
}

} // namespace

SdlAudioBackend::SdlAudioBackend() : SdlAudioBackend(Options{}) {}

SdlAudioBackend::SdlAudioBackend(Options options) : m_options(options) {}

SdlAudioBackend::~SdlAudioBackend() {
    Close();
}

bool SdlAudioBackend::Fail(std::string message) {
    m_lastError = std::move(message);
    return false;
}

bool SdlAudioBackend::Open(void*) {
    Close(); // a second Open starts from scratch
    m_lastError.clear();
    if (!KnownFormat(m_options.format))
        return Fail("unsupported device format requested");
    // The programs end on SIGINT and SIGTERM themselves; SDL would turn them
    // into quit events that nothing reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return Fail(std::string("SDL audio initialisation failed: ") + SDL_GetError());
    m_subsystem = true;
    // SDL's WAVE loader reads these hints, also from the environment; they are
    // fixed so that nothing outside the program changes which clips play.
    SDL_SetHintWithPriority(SDL_HINT_WAVE_RIFF_CHUNK_SIZE, "force", SDL_HINT_OVERRIDE);
    SDL_SetHintWithPriority(SDL_HINT_WAVE_TRUNCATION, "dropblock", SDL_HINT_OVERRIDE);
    SDL_SetHintWithPriority(SDL_HINT_WAVE_FACT_CHUNK, "ignore", SDL_HINT_OVERRIDE);

    SDL_AudioSpec want{};
    want.freq = m_options.frequency;
    want.format = m_options.format;
    want.channels = static_cast<Uint8>(m_options.channels);
    want.samples = static_cast<Uint16>(m_options.samples);
    want.callback = &SdlAudioBackend::Callback;
    want.userdata = this;
    // No allowed changes: SDL converts to the hardware's format itself, so the
    // callback always sees exactly the requested format.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &m_spec, 0);
    if (m_device == 0) {
        std::string error = std::string("cannot open the audio device: ") + SDL_GetError();
        Close();
        return Fail(error);
    }
    return true;
}

bool SdlAudioBackend::SetMasterGain(int level) {
    if (level < -20000 || level > 2000)
        return Fail("master gain " + std::to_string(level) + " is out of range");
    m_gain = level;
    return true;
}

bool SdlAudioBackend::Play(const std::string& path) {
    if (m_device == 0)
        return Fail("the audio device is not open");

    std::string bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error))
        return Fail(error);
    WavCheck check = CheckWav(bytes);
    if (!check.ok())
        return Fail(path + ": " + check.message);

    // SDL decodes the file in the form that leaves it nothing to interpret,
    // so it plays exactly what the check accepted.
    const std::string normalised = NormalisedWav(bytes, check.info);
    SDL_AudioSpec spec{};
    Uint8* wav = nullptr;
    Uint32 wavLen = 0;
    SDL_RWops* rw = SDL_RWFromConstMem(normalised.data(), static_cast<int>(normalised.size()));
    if (!rw || !SDL_LoadWAV_RW(rw, 1, &spec, &wav, &wavLen))
        return Fail(path + ": " + SDL_GetError());

    std::vector<std::uint8_t> clip;
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, m_spec.format,
                          m_spec.channels, m_spec.freq) < 0) {
        SDL_FreeWAV(wav);
        return Fail(path + ": cannot convert to the device format: " + SDL_GetError());
    }
    // Whole source frames only; none (an empty data chunk gives no buffer at
    // all) is a silent clip.
    const Uint32 frame = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
    const Uint32 whole = wavLen - wavLen % frame;
    if (whole == 0) {
        // Nothing to convert or copy.
    } else if (cvt.needed && spec.format == m_spec.format && spec.freq == m_spec.freq &&
               spec.channels == 1) {
        // Mono to several channels in the device's own format and rate: copy
        // each sample to every channel ourselves. SDL_ConvertAudio would go
        // through float and back and change large 16-bit samples by one.
        const std::size_t frames = whole / frame;
        clip.resize(frames * frame * m_spec.channels);
        std::uint8_t* out = clip.data();
        for (std::size_t f = 0; f < frames; ++f)
            for (int c = 0; c < m_spec.channels; ++c, out += frame)
                std::memcpy(out, wav + f * frame, frame);
    } else if (cvt.needed) {
        cvt.len = static_cast<int>(whole);
        clip.resize(static_cast<std::size_t>(cvt.len) * cvt.len_mult);
        std::memcpy(clip.data(), wav, whole);
        cvt.buf = clip.data();
        if (SDL_ConvertAudio(&cvt) != 0) {
            SDL_FreeWAV(wav);
            return Fail(path + ": conversion failed: " + SDL_GetError());
        }
        clip.resize(static_cast<std::size_t>(cvt.len_cvt));
    } else {
        clip.assign(wav, wav + whole);
    }
    SDL_FreeWAV(wav);

    const std::size_t deviceFrame = SDL_AUDIO_BITSIZE(m_spec.format) / 8 * m_spec.channels;
    clip.resize(clip.size() - clip.size() % deviceFrame);
    if (!ApplyGain(clip, m_spec.format, m_gain))
        return Fail("the master gain cannot be applied to the device format");

    SDL_LockAudioDevice(m_device);
    m_clip.swap(clip);
    m_pos = 0;
    SDL_UnlockAudioDevice(m_device);
    SDL_PauseAudioDevice(m_device, 0);
    m_lastError.clear();
    return true; // the old clip's data is freed here, outside the lock
}

bool SdlAudioBackend::IsPlaying() const {
    if (m_device == 0)
        return false;
    SDL_LockAudioDevice(m_device);
    const bool playing = m_pos < m_clip.size();
    SDL_UnlockAudioDevice(m_device);
    return playing;
}

void SdlAudioBackend::StopAll() {
    if (m_device == 0)
        return;
    std::vector<std::uint8_t> old;
    SDL_LockAudioDevice(m_device);
    m_clip.swap(old);
    m_pos = 0;
    SDL_UnlockAudioDevice(m_device);
}

void SdlAudioBackend::Close() {
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
    m_clip.clear();
    m_pos = 0;
    if (m_subsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_subsystem = false;
    }
}

void SDLCALL SdlAudioBackend::Callback(void* userdata, Uint8* stream, int len) {
    auto* self = static_cast<SdlAudioBackend*>(userdata);
    const std::size_t want = static_cast<std::size_t>(len);
    const std::size_t left = self->m_clip.size() - self->m_pos;
    const std::size_t n = std::min(want, left);
    if (n > 0) {
        std::memcpy(stream, self->m_clip.data() + self->m_pos, n);
        self->m_pos += n;
    }
    if (n < want)
        std::memset(stream + n, self->m_spec.silence, want - n);
}

bool SdlAudioBackend::ApplyGain(std::vector<std::uint8_t>& samples, SDL_AudioFormat format,
                                int level) {
    if (!KnownFormat(format))
        return false;
    if (level == 0)
        return true; // bit-exact
    const double factor = std::pow(10.0, level / 2000.0);
    switch (format) {
    case AUDIO_S16SYS:
        ScaleInt<Sint16>(samples, factor, -32768.0, 32767.0, 0.0);
        break;
    case AUDIO_S32SYS:
        ScaleInt<Sint32>(samples, factor, -2147483648.0, 2147483647.0, 0.0);
        break;
    case AUDIO_S8:
        ScaleInt<Sint8>(samples, factor, -128.0, 127.0, 0.0);
        break;
    case AUDIO_U8:
        ScaleInt<Uint8>(samples, factor, -128.0, 127.0, 128.0);
        break;
    case AUDIO_F32SYS: {
        const std::size_t n = samples.size() / sizeof(float);
        for (std::size_t i = 0; i < n; ++i) {
            float s;
            std::memcpy(&s, samples.data() + i * sizeof(float), sizeof(float));
            s = std::clamp(static_cast<float>(s * factor), -1.0f, 1.0f);
            std::memcpy(samples.data() + i * sizeof(float), &s, sizeof(float));
        }
        break;
    }
    default:
        return false;
    }
    return true;
}
