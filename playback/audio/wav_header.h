// A small validating parser for the header of a RIFF/WAVE file: the RIFF
// header, the fmt chunk and the position of the data chunk. It decides whether
// a file is a WAV that the audio back ends can play, and says why not.
//
// Accepted: format tags PCM (8/16/24/32 bits), IEEE float (32 bits), MS ADPCM
// (1 or 2 channels, with the standard coefficient table) and IMA ADPCM (block
// size a multiple of 4), both 4 bits with samples per block that fit the
// block, A-law and mu-law (8 bits), and WAVE_FORMAT_EXTENSIBLE (at least 22
// extension bytes) with the standard PCM or float sub-format GUID; 1 to 8
// channels; 1 to 768000 samples per second. Chunks other than fmt and data are
// skipped (odd sizes padded to even); the fmt chunk must come before the data
// chunk. The RIFF size field is not checked (many writers get it wrong). A data
// chunk that declares more bytes than the file holds is accepted and cut to its
// whole blocks; an empty data chunk is a valid (silent) clip.
//
// Every back end decides with CheckWav, so they all accept and refuse the same
// files. NormalisedWav gives a back end that decodes with SDL_LoadWAV a file
// whose RIFF size, chunk list and data size leave nothing to interpret; SDL
// reads every file that CheckWav accepts in that form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class WavError {
    None,
    Unreadable,        // the file is missing or cannot be read
    TooShort,          // fewer than 12 bytes: no room for the RIFF header
    NotRiff,           // does not start with "RIFF"
    NotWave,           // the RIFF form type is not "WAVE"
    TruncatedChunk,    // a chunk header or the fmt chunk runs past the end of the file
    NoFmtChunk,        // no fmt chunk before the data chunk
    FmtTooSmall,       // fmt chunk shorter than 16 bytes (or 40 for the extensible form)
    UnsupportedFormat, // a format tag (or extensible sub-format) that cannot be played
    BadChannels,       // 0 or more than 8 channels
    BadSampleRate,     // 0 or more than 768000 samples per second
    BadBitsPerSample,  // a sample size that does not suit the format
    BadBlockAlign,     // a block size that does not suit channels and sample size
    NoDataChunk,       // the file ends without a data chunk
};

// Format tags (the effective one for the extensible form).
constexpr std::uint16_t WAV_FORMAT_PCM = 0x0001;
constexpr std::uint16_t WAV_FORMAT_MS_ADPCM = 0x0002;
constexpr std::uint16_t WAV_FORMAT_IEEE_FLOAT = 0x0003;
constexpr std::uint16_t WAV_FORMAT_ALAW = 0x0006;
constexpr std::uint16_t WAV_FORMAT_MULAW = 0x0007;
constexpr std::uint16_t WAV_FORMAT_IMA_ADPCM = 0x0011;
constexpr std::uint16_t WAV_FORMAT_EXTENSIBLE = 0xFFFE;

struct WavInfo {
    std::uint16_t formatTag = 0; // effective tag (the sub-format for the extensible form)
    bool extensible = false;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::size_t fmtOffset = 0;      // first byte of the fmt chunk's body in the file
    std::uint32_t fmtSize = 0;      // size of the fmt chunk's body
    std::size_t dataOffset = 0;     // first byte of the sample data in the file
    std::uint32_t dataDeclared = 0; // size the data chunk header declares
    std::size_t dataSize = 0;       // whole blocks actually present
    bool dataTruncated = false;     // the file ends before the declared size
};

struct WavCheck {
    WavError error = WavError::None;
    std::string message; // empty when ok; otherwise a specific English reason
    WavInfo info;
    bool ok() const { return error == WavError::None; }
};

// Validates the bytes of a whole file (or at least everything up to the data).
WavCheck CheckWav(std::string_view bytes);

// The accepted file (check.ok() for these bytes) as RIFF header, fmt chunk and
// a data chunk of the dataSize whole blocks, with true sizes throughout; the
// fmt body and the samples are unchanged, other chunks are left out.
std::string NormalisedWav(std::string_view bytes, const WavInfo& info);

// Reads the file, a data path found as platform::OpenDataFile finds it, into
// bytes (returns false and sets error when it cannot).
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);

// Reads the file and validates it; Unreadable when it cannot be read.
WavCheck CheckWavFile(const std::string& path);

// A short name of the error ("not a RIFF file", ...).
const char* WavErrorName(WavError error);
