#include "playback/winmm/acm_decode.h"

#include <windows.h>

#include <mmsystem.h>

#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>

namespace {

class Stream {
public:
    ~Stream() {
        if (handle)
            acmStreamClose(handle, 0);
    }
    HACMSTREAM handle = nullptr;
};

} // namespace

bool AcmDecodeToPcm16(std::string_view fmt, std::string_view data, std::vector<std::uint8_t>& out,
                      std::string& error) {
    out.clear();
    // The fmt body may be 16 bytes (no cbSize): ACM wants the full structure.
    std::vector<std::uint8_t> source(std::max(fmt.size(), sizeof(WAVEFORMATEX)), 0);
    std::memcpy(source.data(), fmt.data(), fmt.size());
    auto* in = reinterpret_cast<WAVEFORMATEX*>(source.data());
    if (fmt.size() < sizeof(WAVEFORMATEX))
        in->cbSize = 0;
    WAVEFORMATEX pcm{};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = in->nChannels;
    pcm.nSamplesPerSec = in->nSamplesPerSec;
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = static_cast<WORD>(pcm.nChannels * 2);
    pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;
    Stream stream;
    if (acmStreamOpen(&stream.handle, nullptr, in, &pcm, nullptr, 0, 0,
                      ACM_STREAMOPENF_NONREALTIME) != 0) {
        error = "the system has no decoder for its format";
        return false;
    }
    if (data.empty())
        return true;
    DWORD outBytes = 0;
    if (acmStreamSize(stream.handle, static_cast<DWORD>(data.size()), &outBytes,
                      ACM_STREAMSIZEF_SOURCE) != 0) {
        error = "the system's decoder cannot size its samples";
        return false;
    }
    std::string input(data);
    out.resize(outBytes);
    ACMSTREAMHEADER header{};
    header.cbStruct = sizeof(header);
    header.pbSrc = reinterpret_cast<LPBYTE>(input.data());
    header.cbSrcLength = static_cast<DWORD>(input.size());
    header.pbDst = out.data();
    header.cbDstLength = outBytes;
    if (acmStreamPrepareHeader(stream.handle, &header, 0) != 0) {
        error = "the system's decoder refused its samples";
        out.clear();
        return false;
    }
    const MMRESULT rc = acmStreamConvert(stream.handle, &header, ACM_STREAMCONVERTF_BLOCKALIGN);
    acmStreamUnprepareHeader(stream.handle, &header, 0);
    if (rc != 0) {
        error = "the system's decoder failed";
        out.clear();
        return false;
    }
    out.resize(header.cbDstLengthUsed - header.cbDstLengthUsed % pcm.nBlockAlign);
    return true;
}
