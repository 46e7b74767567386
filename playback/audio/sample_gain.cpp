#include "playback/audio/sample_gain.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

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

void ApplySampleGain(std::vector<std::uint8_t>& samples, SampleFormat format, int level) {
    if (level == 0)
        return; // bit-exact
    const double factor = std::pow(10.0, level / 2000.0);
    switch (format) {
    case SampleFormat::S16:
        ScaleInt<std::int16_t>(samples, factor, -32768.0, 32767.0, 0.0);
        break;
    case SampleFormat::S32:
        ScaleInt<std::int32_t>(samples, factor, -2147483648.0, 2147483647.0, 0.0);
        break;
    case SampleFormat::S8:
        ScaleInt<std::int8_t>(samples, factor, -128.0, 127.0, 0.0);
        break;
    case SampleFormat::U8:
        ScaleInt<std::uint8_t>(samples, factor, -128.0, 127.0, 128.0);
        break;
    case SampleFormat::F32: {
        const std::size_t n = samples.size() / sizeof(float);
        for (std::size_t i = 0; i < n; ++i) {
            float s;
            std::memcpy(&s, samples.data() + i * sizeof(float), sizeof(float));
            s = std::clamp(static_cast<float>(s * factor), -1.0f, 1.0f);
            std::memcpy(samples.data() + i * sizeof(float), &s, sizeof(float));
        }
        break;
    }
    }
}
