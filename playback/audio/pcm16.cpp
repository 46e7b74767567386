#include "playback/audio/pcm16.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

std::int16_t Sample(const unsigned char* p, std::uint16_t tag, std::uint16_t bits) {
    if (tag == WAV_FORMAT_IEEE_FLOAT) {
        float f;
        std::memcpy(&f, p, sizeof f);
        if (std::isnan(f))
            return 0;
        return static_cast<std::int16_t>(std::lround(std::clamp(f, -1.0f, 1.0f) * 32767.0f));
    }
    switch (bits) {
    case 8:
        return static_cast<std::int16_t>((p[0] - 128) * 256);
    default: // 16, 24, 32: the top two bytes of the little-endian sample
        return static_cast<std::int16_t>(p[bits / 8 - 2] | (p[bits / 8 - 1] << 8));
    }
}

} // namespace

bool ToPcm16(const WavInfo& info, std::string_view data, std::vector<std::uint8_t>& out) {
    out.clear();
    if (info.formatTag != WAV_FORMAT_PCM && info.formatTag != WAV_FORMAT_IEEE_FLOAT)
        return false;
    const std::size_t width = info.bitsPerSample / 8u;
    const std::size_t count = data.size() / width;
    out.resize(count * 2);
    const auto* in = reinterpret_cast<const unsigned char*>(data.data());
    for (std::size_t i = 0; i < count; ++i) {
        const std::int16_t s = Sample(in + i * width, info.formatTag, info.bitsPerSample);
        std::memcpy(out.data() + i * 2, &s, 2);
    }
    return true;
}
