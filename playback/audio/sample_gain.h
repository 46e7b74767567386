// The master gain applied to samples in software, the same arithmetic for
// every audio back end: each sample scaled by 10^(level/2000) (level in
// hundredths of a decibel), rounded to the nearest value and clamped to the
// format's range (float to -1..1). Level 0 leaves the bytes untouched.
#pragma once

#include <cstdint>
#include <vector>

enum class SampleFormat { S16, S32, S8, U8, F32 }; // native byte order

void ApplySampleGain(std::vector<std::uint8_t>& samples, SampleFormat format, int level);
