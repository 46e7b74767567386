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
// files; WavFile reaches the same verdict reading only what it checks.
// NormalisedWav gives a back end that decodes with SDL_LoadWAV a file whose
// RIFF size, chunk list and data size leave nothing to interpret; SDL reads
// every file that CheckWav accepts in that form, also with any run of whole
// blocks of its data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
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

// A WAV file of an accepted fmt chunk body (fmtSize bytes at fmtOffset) and
// the given whole blocks of samples: RIFF header, fmt chunk and data chunk,
// with true sizes throughout.
std::string NormalisedWav(std::string_view fmt, std::string_view data);

// A data file opened for playing (as platform::OpenDataFile finds it). It is
// checked reading only the RIFF header, the chunk headers, the fmt chunk's
// body and, for MS ADPCM, the samples (whose blocks are checked, a run at a
// time); other chunks are skipped by seeking, so whatever their size, what
// it holds in memory is the fmt chunk's body and small buffers. The verdict
// is CheckWav's for the whole file. The samples are then read in order.
class WavFile {
public:
    explicit WavFile(const std::string& path);
    ~WavFile();
    WavFile(const WavFile&) = delete;
    WavFile& operator=(const WavFile&) = delete;

    // The verdict; Unreadable when the file cannot be read.
    const WavCheck& Check() const { return m_check; }
    // The fmt chunk's body (of an accepted file).
    std::string_view Fmt() const { return m_fmt; }
    // Copies up to n further bytes of the dataSize bytes of whole blocks to
    // out; fewer at their end, and at the end of the file or after a read
    // error when the file changed since it was checked.
    std::size_t ReadData(char* out, std::size_t n);

private:
    std::FILE* m_file = nullptr;
    std::string m_fmt;      // the fmt chunk's body
    std::size_t m_next = 0; // offset in the file of the next sample byte
    WavCheck m_check;
};

// Reads the file, a data path found as platform::OpenDataFile finds it, into
// bytes (returns false and sets error when it cannot).
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);

// Validates the file (WavFile's verdict); Unreadable when it cannot be read.
WavCheck CheckWavFile(const std::string& path);
