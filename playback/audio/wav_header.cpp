#include "playback/audio/wav_header.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/paths.h"

namespace {

std::uint32_t Le32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint16_t Le16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

std::string Hex4(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%04X", v & 0xFFFF);
    return buf;
}

// The four-character code as text, with non-printable bytes escaped.
std::string FourCc(std::string_view b, std::size_t at) {
    std::string s;
    for (std::size_t i = 0; i < 4; ++i) {
        unsigned char c = static_cast<unsigned char>(b[at + i]);
        if (c >= 0x20 && c < 0x7F) {
            s += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            s += buf;
        }
    }
    return s;
}

WavCheck Fail(WavError error, std::string message) {
    WavCheck c;
    c.error = error;
    c.message = std::move(message);
    return c;
}

const char* TagName(std::uint16_t tag) {
    switch (tag) {
    case WAV_FORMAT_PCM:
        return "PCM";
    case WAV_FORMAT_MS_ADPCM:
        return "MS ADPCM";
    case WAV_FORMAT_IEEE_FLOAT:
        return "IEEE float";
    case WAV_FORMAT_ALAW:
        return "A-law";
    case WAV_FORMAT_MULAW:
        return "mu-law";
    case WAV_FORMAT_IMA_ADPCM:
        return "IMA ADPCM";
    case 0x0055:
        return "MPEG Layer 3";
    case 0x0050:
        return "MPEG";
    case WAV_FORMAT_EXTENSIBLE:
        return "extensible";
    default:
        return "unknown";
    }
}

// Checks the fmt chunk body (size bytes at b[at]) and fills info.
WavCheck CheckFmt(std::string_view b, std::size_t at, std::uint32_t size, WavInfo& info) {
    if (size < 16)
        return Fail(WavError::FmtTooSmall,
                    "fmt chunk is " + std::to_string(size) + " bytes, at least 16 are needed");
    std::uint16_t tag = Le16(b, at);
    info.channels = Le16(b, at + 2);
    info.sampleRate = Le32(b, at + 4);
    info.byteRate = Le32(b, at + 8);
    info.blockAlign = Le16(b, at + 12);
    info.bitsPerSample = Le16(b, at + 14);
    if (tag == WAV_FORMAT_EXTENSIBLE) {
        // cbSize, valid bits, channel mask, then the sub-format GUID whose first
        // two bytes are the real format tag.
        if (size < 40)
            return Fail(WavError::FmtTooSmall, "extensible fmt chunk is " + std::to_string(size) +
                                                   " bytes, at least 40 are needed");
        info.extensible = true;
        tag = Le16(b, at + 24);
        if (tag != WAV_FORMAT_PCM && tag != WAV_FORMAT_IEEE_FLOAT)
            return Fail(WavError::UnsupportedFormat,
                        "extensible sub-format " + Hex4(tag) + " (" + TagName(tag) +
                            ") is not supported; only PCM and IEEE float are");
    }
    info.formatTag = tag;

    switch (tag) {
    case WAV_FORMAT_PCM:
    case WAV_FORMAT_IEEE_FLOAT:
    case WAV_FORMAT_MS_ADPCM:
    case WAV_FORMAT_IMA_ADPCM:
    case WAV_FORMAT_ALAW:
    case WAV_FORMAT_MULAW:
        break;
    default:
        return Fail(WavError::UnsupportedFormat,
                    "format tag " + Hex4(tag) + " (" + TagName(tag) + ") is not supported");
    }

    if (info.channels == 0 || info.channels > 8)
        return Fail(WavError::BadChannels,
                    std::to_string(info.channels) + " channels; 1 to 8 are supported");
    if (info.sampleRate == 0 || info.sampleRate > 768000)
        return Fail(WavError::BadSampleRate, "sample rate " + std::to_string(info.sampleRate) +
                                                 " Hz is out of range (1 to 768000)");

    const unsigned bits = info.bitsPerSample;
    bool bitsOk = false;
    switch (tag) {
    case WAV_FORMAT_PCM:
        bitsOk = bits == 8 || bits == 16 || bits == 24 || bits == 32;
        break;
    case WAV_FORMAT_IEEE_FLOAT:
        bitsOk = bits == 32;
        break;
    case WAV_FORMAT_MS_ADPCM:
    case WAV_FORMAT_IMA_ADPCM:
        bitsOk = bits == 4;
        break;
    default:
        bitsOk = bits == 8;
        break; // A-law, mu-law
    }
    if (!bitsOk) {
        std::string allowed = tag == WAV_FORMAT_PCM          ? "8, 16, 24 or 32"
                              : tag == WAV_FORMAT_IEEE_FLOAT ? "32"
                              : bits == 0                    ? "a non-zero size"
                              : (tag == WAV_FORMAT_MS_ADPCM || tag == WAV_FORMAT_IMA_ADPCM) ? "4"
                                                                                            : "8";
        return Fail(WavError::BadBitsPerSample, std::to_string(bits) + " bits per sample for " +
                                                    TagName(tag) + "; expected " + allowed);
    }

    if (tag == WAV_FORMAT_MS_ADPCM || tag == WAV_FORMAT_IMA_ADPCM) {
        // A block holds a header of 7 (MS) or 4 (IMA) bytes per channel.
        const unsigned header = (tag == WAV_FORMAT_MS_ADPCM ? 7u : 4u) * info.channels;
        if (info.blockAlign <= header)
            return Fail(WavError::BadBlockAlign,
                        "block size " + std::to_string(info.blockAlign) + " is too small for " +
                            TagName(tag) + " with " + std::to_string(info.channels) + " channels");
    } else {
        const unsigned expected = info.channels * (bits / 8);
        if (info.blockAlign != expected)
            return Fail(WavError::BadBlockAlign,
                        "block size " + std::to_string(info.blockAlign) + " does not match " +
                            std::to_string(info.channels) + " channels of " + std::to_string(bits) +
                            " bits (expected " + std::to_string(expected) + ")");
    }
    return {};
}

} // namespace

WavCheck CheckWav(std::string_view b) {
    if (b.size() < 12)
        return Fail(WavError::TooShort, "file is " + std::to_string(b.size()) +
                                            " bytes, too short for a RIFF header (12)");
    if (b.compare(0, 4, "RIFF") != 0)
        return Fail(WavError::NotRiff, "not a RIFF file (starts with \"" + FourCc(b, 0) + "\")");
    if (b.compare(8, 4, "WAVE") != 0)
        return Fail(WavError::NotWave, "RIFF form type is \"" + FourCc(b, 8) + "\", not \"WAVE\"");

    WavInfo info;
    bool haveFmt = false;
    std::size_t pos = 12;
    for (;;) {
        if (pos >= b.size())
            break;
        if (b.size() - pos < 8)
            return Fail(WavError::TruncatedChunk,
                        "truncated chunk header at offset " + std::to_string(pos) + " (" +
                            std::to_string(b.size() - pos) + " of 8 bytes)");
        const std::string id = FourCc(b, pos);
        const std::uint32_t size = Le32(b, pos + 4);
        const std::size_t body = pos + 8;
        const std::size_t avail = b.size() - body;
        if (id == "fmt ") {
            if (haveFmt)
                return Fail(WavError::UnsupportedFormat,
                            "second fmt chunk at offset " + std::to_string(pos));
            if (size > avail)
                return Fail(WavError::TruncatedChunk, "fmt chunk declares " + std::to_string(size) +
                                                          " bytes, only " + std::to_string(avail) +
                                                          " present");
            WavCheck fmt = CheckFmt(b, body, size, info);
            if (!fmt.ok())
                return fmt;
            haveFmt = true;
        } else if (id == "data") {
            if (!haveFmt)
                return Fail(WavError::NoFmtChunk, "data chunk at offset " + std::to_string(pos) +
                                                      " comes before any fmt chunk");
            info.dataOffset = body;
            info.dataDeclared = size;
            std::size_t present = size <= avail ? size : avail;
            info.dataTruncated = size > avail;
            info.dataSize = present - present % info.blockAlign;
            WavCheck ok;
            ok.info = info;
            return ok;
        }
        // Skip any other chunk (and a pad byte after an odd size).
        std::size_t skip = static_cast<std::size_t>(size) + (size & 1u);
        if (size > avail)
            return Fail(WavError::TruncatedChunk, "chunk \"" + id + "\" at offset " +
                                                      std::to_string(pos) + " declares " +
                                                      std::to_string(size) + " bytes, only " +
                                                      std::to_string(avail) + " present");
        if (skip > avail)
            break; // an odd last chunk without its pad byte
        pos = body + skip;
    }
    if (!haveFmt)
        return Fail(WavError::NoFmtChunk, "no fmt chunk in the file");
    return Fail(WavError::NoDataChunk, "no data chunk in the file");
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    bytes.clear();
    std::FILE* file = platform::OpenDataFile(path);
    if (!file) {
        error = errno == EISDIR ? "cannot read " + path + ": it is a folder"
                                : "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    char chunk[65536];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

WavCheck CheckWavFile(const std::string& path) {
    std::string bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error))
        return Fail(WavError::Unreadable, error);
    return CheckWav(bytes);
}

const char* WavErrorName(WavError error) {
    switch (error) {
    case WavError::None:
        return "ok";
    case WavError::Unreadable:
        return "file cannot be read";
    case WavError::TooShort:
        return "file too short";
    case WavError::NotRiff:
        return "not a RIFF file";
    case WavError::NotWave:
        return "not a WAVE file";
    case WavError::TruncatedChunk:
        return "truncated chunk";
    case WavError::NoFmtChunk:
        return "no fmt chunk";
    case WavError::FmtTooSmall:
        return "fmt chunk too small";
    case WavError::UnsupportedFormat:
        return "unsupported format";
    case WavError::BadChannels:
        return "bad channel count";
    case WavError::BadSampleRate:
        return "bad sample rate";
    case WavError::BadBitsPerSample:
        return "bad sample size";
    case WavError::BadBlockAlign:
        return "bad block size";
    case WavError::NoDataChunk:
        return "no data chunk";
    }
    return "unknown";
}
