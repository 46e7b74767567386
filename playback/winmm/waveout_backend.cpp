#include "playback/winmm/waveout_backend.h"

#include <windows.h>

#include <mmsystem.h>

#include <mmreg.h>

#include <new>

#include "playback/audio/pcm16.h"
#include "playback/audio/sample_gain.h"
#include "playback/audio/wav_header.h"
#include "playback/winmm/acm_decode.h"

// An open wave-mapper device with the clip's one buffer in it.
struct WaveOutBackend::Device {
    HWAVEOUT handle = nullptr;
    WAVEHDR header{};
    std::vector<std::uint8_t> samples;

    ~Device() {
        if (!handle)
            return;
        waveOutReset(handle); // returns the buffer at once
        waveOutUnprepareHeader(handle, &header, sizeof(header));
        waveOutClose(handle);
    }
};

namespace {

// KSDATAFORMAT_SUBTYPE_PCM (defined here: mingw's import libraries lack it).
constexpr GUID kPcmSubFormat{
    0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The 16-bit PCM format of the clip, in the extensible form for more than two
// channels (as the wave mapper requires).
WAVEFORMATEXTENSIBLE Pcm16Format(const WavInfo& info) {
    WAVEFORMATEXTENSIBLE format{};
    WAVEFORMATEX& f = format.Format;
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = info.channels;
    f.nSamplesPerSec = info.sampleRate;
    f.wBitsPerSample = 16;
    f.nBlockAlign = static_cast<WORD>(info.channels * 2);
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    if (info.channels > 2) {
        f.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
        f.cbSize = sizeof(format) - sizeof(WAVEFORMATEX);
        format.Samples.wValidBitsPerSample = 16;
        format.dwChannelMask = 0; // no speaker positions: the mapper's order
        format.SubFormat = kPcmSubFormat;
    }
    return format;
}

std::string DeviceError(MMRESULT rc) {
    wchar_t text[MAXERRORLENGTH] = {};
    waveOutGetErrorTextW(rc, text, MAXERRORLENGTH);
    std::string narrow;
    for (const wchar_t* p = text; *p; ++p)
        narrow += *p < 0x80 ? static_cast<char>(*p) : '?';
    return narrow.empty() ? "error " + std::to_string(rc) : narrow;
}

} // namespace

WaveOutBackend::WaveOutBackend() = default;

WaveOutBackend::~WaveOutBackend() {
    Close();
}

bool WaveOutBackend::Fail(std::string message) {
    m_lastError = std::move(message);
    return false;
}

bool WaveOutBackend::Open(void*) {
    Close();
    m_lastError.clear();
    if (waveOutGetNumDevs() == 0)
        return Fail("the system has no wave output device");
    m_open = true;
    return true;
}

bool WaveOutBackend::SetMasterGain(int level) {
    if (level < -20000 || level > 2000)
        return Fail("master gain " + std::to_string(level) + " is out of range");
    m_gain = level;
    return true;
}

bool WaveOutBackend::Play(const std::string& path) {
    if (!m_open)
        return Fail("the audio device is not open");
    // Reading and converting a clip allocates its size and more: a clip that
    // does not fit in memory fails like an unreadable one.
    try {
        WavFile file(path);
        const WavCheck& check = file.Check();
        if (!check.ok())
            return Fail(check.error == WavError::Unreadable ? check.message
                                                            : path + ": " + check.message);
        auto device = std::make_unique<Device>();
        {
            std::string data(check.info.dataSize, '\0');
            data.resize(file.ReadData(data.data(), data.size()));
            std::string error;
            if (!ToPcm16(check.info, data, device->samples) &&
                !AcmDecodeToPcm16(file.Fmt(), data, device->samples, error))
                return Fail(path + ": " + error);
        }
        ApplySampleGain(device->samples, SampleFormat::S16, m_gain);

        if (device->samples.empty()) {
            StopAll();
            return true; // a clip without samples plays as silence
        }
        const WAVEFORMATEXTENSIBLE format = Pcm16Format(check.info);
        MMRESULT rc =
            waveOutOpen(&device->handle, WAVE_MAPPER, &format.Format, 0, 0, CALLBACK_NULL);
        if (rc != MMSYSERR_NOERROR) {
            device->handle = nullptr;
            return Fail(path + ": cannot open the wave output device: " + DeviceError(rc));
        }
        device->header.lpData = reinterpret_cast<LPSTR>(device->samples.data());
        device->header.dwBufferLength = static_cast<DWORD>(device->samples.size());
        rc = waveOutPrepareHeader(device->handle, &device->header, sizeof(device->header));
        if (rc != MMSYSERR_NOERROR)
            return Fail(path + ": the wave output device refused it: " + DeviceError(rc));
        StopAll(); // the clip that sounds is cut off
        rc = waveOutWrite(device->handle, &device->header, sizeof(device->header));
        if (rc != MMSYSERR_NOERROR)
            return Fail(path + ": the wave output device refused it: " + DeviceError(rc));
        m_device = std::move(device);
    } catch (const std::bad_alloc&) {
        return Fail(path + ": not enough memory to play it");
    }
    m_lastError.clear();
    return true;
}

bool WaveOutBackend::IsPlaying() const {
    if (!m_device)
        return false;
    const volatile DWORD& flags = m_device->header.dwFlags; // set by the driver's thread
    return !(flags & WHDR_DONE);
}

void WaveOutBackend::StopAll() {
    m_device.reset();
}

void WaveOutBackend::Close() {
    StopAll();
    m_open = false;
}
