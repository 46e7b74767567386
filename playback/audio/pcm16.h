// Uncompressed samples of any accepted WAV format as 16-bit PCM, for back
// ends whose device takes nothing else: 8-bit (unsigned) widened, 24 and
// 32-bit cut to their top 16 bits, float clamped to -1..1 and scaled to
// +-32767 with rounding. Channels and rate stay as they are.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "playback/audio/wav_header.h"

// false (out empty) for a compressed format (ADPCM, A-law, mu-law).
bool ToPcm16(const WavInfo& info, std::string_view data, std::vector<std::uint8_t>& out);
