// Compressed WAV samples (MS and IMA ADPCM, A-law, mu-law) decoded to 16-bit
// PCM by the system's audio compression manager (msacm32).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// fmt: the fmt chunk's body (a WAVEFORMATEX with its extra bytes); data:
// whole blocks. On success out holds the samples, with the source's channels
// and rate; false with the reason otherwise.
bool AcmDecodeToPcm16(std::string_view fmt, std::string_view data, std::vector<std::uint8_t>& out,
                      std::string& error);
