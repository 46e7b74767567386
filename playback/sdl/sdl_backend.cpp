#include "playback/sdl/sdl_backend.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "playback/audio/sample_gain.h"
#include "playback/audio/wav_header.h"
#include "playback/sdl/clip_stream.h"

namespace {

bool KnownFormat(SDL_AudioFormat f) {
    return f == AUDIO_S16SYS || f == AUDIO_S32SYS || f == AUDIO_F32SYS || f == AUDIO_U8 ||
           f == AUDIO_S8;
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
    m_sdl = sdlapi::Load(m_lastError); // loaded once per process
    if (!m_sdl)
        return false;
    // The programs end on SIGINT and SIGTERM themselves; SDL would turn them
    // into quit events that nothing reads.
    m_sdl->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (m_sdl->InitSubSystem(SDL_INIT_AUDIO) != 0)
        return Fail(std::string("SDL audio initialisation failed: ") + m_sdl->GetError());
    m_subsystem = true;
    // SDL's WAVE loader reads these hints, also from the environment; they are
    // fixed so that nothing outside the program changes which clips play.
    m_sdl->SetHintWithPriority(SDL_HINT_WAVE_RIFF_CHUNK_SIZE, "force", SDL_HINT_OVERRIDE);
    m_sdl->SetHintWithPriority(SDL_HINT_WAVE_TRUNCATION, "dropblock", SDL_HINT_OVERRIDE);
    m_sdl->SetHintWithPriority(SDL_HINT_WAVE_FACT_CHUNK, "ignore", SDL_HINT_OVERRIDE);

    SDL_AudioSpec want{};
    want.freq = m_options.frequency;
    want.format = m_options.format;
    want.channels = static_cast<Uint8>(m_options.channels);
    want.samples = static_cast<Uint16>(m_options.samples);
    want.callback = &SdlAudioBackend::Callback;
    want.userdata = this;
    // No allowed changes: SDL converts to the hardware's format itself, so the
    // callback always sees exactly the requested format.
    m_device = m_sdl->OpenAudioDevice(nullptr, 0, &want, &m_spec, 0);
    if (m_device == 0) {
        std::string error = std::string("cannot open the audio device: ") + m_sdl->GetError();
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

    std::unique_ptr<ClipStream> stream;
    std::vector<std::uint8_t> clip;
    std::string error;
    try {
        auto file = std::make_unique<WavFile>(path);
        const WavCheck& check = file->Check();
        if (!check.ok())
            return Fail(check.error == WavError::Unreadable ? check.message
                                                            : path + ": " + check.message);
        stream = std::make_unique<ClipStream>(*m_sdl, std::move(file), m_spec, m_gain);
        if (stream->Start(error))
            stream->Next(clip, error);
    } catch (const std::bad_alloc&) {
        error = "not enough memory to play it";
    }
    if (!error.empty())
        return Fail(path + ": " + error);

    m_sdl->LockAudioDevice(m_device);
    m_clip.swap(clip);
    m_pos = 0;
    m_stream.swap(stream);
    m_sdl->UnlockAudioDevice(m_device);
    m_sdl->PauseAudioDevice(m_device, 0);
    m_lastError.clear();
    return true; // the old clip is freed here, outside the lock
}

bool SdlAudioBackend::IsPlaying() const {
    if (m_device == 0)
        return false;
    m_sdl->LockAudioDevice(m_device);
    const bool playing = m_pos < m_clip.size() || (m_stream && !m_stream->Ended());
    m_sdl->UnlockAudioDevice(m_device);
    return playing;
}

void SdlAudioBackend::StopAll() {
    if (m_device == 0)
        return;
    std::vector<std::uint8_t> old;
    std::unique_ptr<ClipStream> oldStream;
    m_sdl->LockAudioDevice(m_device);
    m_clip.swap(old);
    m_stream.swap(oldStream);
    m_pos = 0;
    m_sdl->UnlockAudioDevice(m_device);
}

void SdlAudioBackend::Close() {
    if (m_device != 0) {
        m_sdl->CloseAudioDevice(m_device);
        m_device = 0;
    }
    m_clip.clear();
    m_stream.reset();
    m_pos = 0;
    if (m_subsystem) {
        m_sdl->QuitSubSystem(SDL_INIT_AUDIO);
        m_subsystem = false;
    }
}

bool SdlAudioBackend::Refill() {
    m_pos = 0;
    std::string error;
    try {
        if (m_stream && m_stream->Next(m_clip, error))
            return true;
    } catch (const std::bad_alloc&) {
        // ends the clip like a read error
    }
    m_clip.clear();
    m_stream.reset();
    return false;
}

void SDLCALL SdlAudioBackend::Callback(void* userdata, Uint8* stream, int len) {
    auto* self = static_cast<SdlAudioBackend*>(userdata);
    std::size_t want = static_cast<std::size_t>(len);
    while (want > 0 && (self->m_pos < self->m_clip.size() || self->Refill())) {
        const std::size_t n = std::min(want, self->m_clip.size() - self->m_pos);
        std::memcpy(stream, self->m_clip.data() + self->m_pos, n);
        self->m_pos += n;
        stream += n;
        want -= n;
    }
    std::memset(stream, self->m_spec.silence, want);
}

bool SdlAudioBackend::ApplyGain(std::vector<std::uint8_t>& samples, SDL_AudioFormat format,
                                int level) {
    switch (format) {
    case AUDIO_S16SYS:
        ApplySampleGain(samples, SampleFormat::S16, level);
        return true;
    case AUDIO_S32SYS:
        ApplySampleGain(samples, SampleFormat::S32, level);
        return true;
    case AUDIO_S8:
        ApplySampleGain(samples, SampleFormat::S8, level);
        return true;
    case AUDIO_U8:
        ApplySampleGain(samples, SampleFormat::U8, level);
        return true;
    case AUDIO_F32SYS:
        ApplySampleGain(samples, SampleFormat::F32, level);
        return true;
    default:
        return false;
    }
}
