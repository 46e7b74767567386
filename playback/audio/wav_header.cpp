#include "playback/audio/wav_header.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

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

// The 14 bytes after the tag that every standard format GUID shares.
constexpr std::string_view kGuidTail("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71",
                                     14);

// The seven coefficient pairs that every MS ADPCM table starts with.
constexpr std::int16_t kMsAdpcmCoefficients[14] = {256, 0,   512, -256, 0,    0,   192,
                                                   64,  240, 0,   460,  -208, 392, -232};

// The block layout of MS and IMA ADPCM (4-bit, non-extensible, channels and
// bits already checked): a block header of 7 (MS) or 4 (IMA) bytes per
// channel, samples per block (bytes 18..19 of the fmt body; 0 means as many as
// the block holds) that fit the block, and for MS ADPCM the coefficient table
// (count at bytes 20..21, then the pairs, the standard seven first).
WavCheck CheckAdpcm(std::string_view b, std::size_t at, std::uint32_t size, const WavInfo& info) {
    const bool ms = info.formatTag == WAV_FORMAT_MS_ADPCM;
    const std::string name = TagName(info.formatTag);
    const unsigned channels = info.channels;
    const unsigned header = (ms ? 7u : 4u) * channels;
    if (ms && channels > 2)
        return Fail(WavError::BadChannels,
                    std::to_string(channels) + " channels; MS ADPCM has 1 or 2");
    if (info.blockAlign < header || (!ms && info.blockAlign % 4 != 0))
        return Fail(WavError::BadBlockAlign, "block size " + std::to_string(info.blockAlign) +
                                                 " does not suit " + name + " with " +
                                                 std::to_string(channels) + " channels");
    const unsigned extension = size >= 18 ? Le16(b, at + 16) : 0;
    unsigned perBlock = size >= 20 && extension >= 2 ? Le16(b, at + 18) : 0;
    if (ms) {
        const unsigned count = size >= 22 ? std::min<unsigned>(Le16(b, at + 20), 256) : 0;
        if (size < 22 + 4 * count || extension < 4 + 4 * count || count < 7)
            return Fail(WavError::FmtTooSmall,
                        "MS ADPCM fmt chunk lacks its coefficient table (7 pairs or more)");
        for (std::size_t i = 0; i < 14; ++i) {
            if (static_cast<std::int16_t>(Le16(b, at + 22 + 2 * i)) != kMsAdpcmCoefficients[i])
                return Fail(WavError::UnsupportedFormat,
                            "MS ADPCM coefficient table does not start with the standard pairs");
        }
    }
    // Samples per block: those in the header (2 for MS, 1 for IMA) and two per
    // data byte and channel.
    const unsigned inHeader = ms ? 2u : 1u;
    const unsigned fit = (info.blockAlign - header) * 2 / channels + inHeader;
    if (perBlock == 0)
        perBlock = fit;
    if ((ms && perBlock == 1) || perBlock > fit)
        return Fail(WavError::BadBlockAlign, std::to_string(perBlock) +
                                                 " samples per block do not fit a block of " +
                                                 std::to_string(info.blockAlign) + " bytes");
    return {};
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
        // cbSize, valid bits, channel mask, then the sub-format GUID: the real
        // format tag in its first two bytes, then the fixed tail of the
        // standard format GUIDs.
        if (size < 40)
            return Fail(WavError::FmtTooSmall, "extensible fmt chunk is " + std::to_string(size) +
                                                   " bytes, at least 40 are needed");
        if (Le16(b, at + 16) < 22)
            return Fail(WavError::FmtTooSmall, "extensible fmt chunk declares " +
                                                   std::to_string(Le16(b, at + 16)) +
                                                   " extension bytes, at least 22 are needed");
        if (b.substr(at + 26, kGuidTail.size()) != kGuidTail)
            return Fail(WavError::UnsupportedFormat,
                        "extensible sub-format GUID is not a standard format tag's");
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
        return CheckAdpcm(b, at, size, info);
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

namespace {

// The bytes of a file being checked, read at offsets inside its size: all of
// them in memory, or an open file read only where the check looks (so a
// chunk that is skipped is never read).
class ByteSource {
public:
    explicit ByteSource(std::string_view bytes) : m_bytes(bytes), m_total(bytes.size()) {}
    ByteSource(std::FILE* file, std::size_t total) : m_file(file), m_total(total) {}

    std::size_t Total() const { return m_total; }
    // The n bytes at offset at (at + n <= Total()). From a file that ended
    // early they are padded with zeros and Changed() is set; after a read
    // error Failed() is set too. The view lasts until the next Read.
    std::string_view Read(std::size_t at, std::size_t n) {
        if (!m_file)
            return m_bytes.substr(at, n);
        ReadInto(at, n, m_buffer);
        return m_buffer;
    }
    // The same bytes into out, read there directly.
    void ReadInto(std::size_t at, std::size_t n, std::string& out) {
        if (!m_file) {
            out.assign(m_bytes.substr(at, n));
            return;
        }
        out.assign(n, '\0');
        if (at != m_pos && std::fseek(m_file, static_cast<long>(at), SEEK_SET) != 0) {
            m_failed = true;
            return;
        }
        const std::size_t got = std::fread(out.data(), 1, n, m_file);
        m_pos = at + got;
        if (got < n) {
            m_failed = m_failed || std::ferror(m_file) != 0;
            m_end = std::min(m_end, m_pos);
        }
    }
    bool Changed() const { return m_end < m_total; }
    // Where the file ended early.
    std::size_t End() const { return m_end; }
    bool Failed() const { return m_failed; }

private:
    std::string_view m_bytes;
    std::FILE* m_file = nullptr;
    std::size_t m_total;
    std::string m_buffer;
    // Where the file stands; unknown at first.
    std::size_t m_pos = std::numeric_limits<std::size_t>::max();
    std::size_t m_end = std::numeric_limits<std::size_t>::max();
    bool m_failed = false;
};

// Every whole MS ADPCM block of the data names, for each channel, a
// coefficient pair that the table holds (the index in the block header's
// first bytes); a decoder cannot play a block that names another. The data
// is read a run of whole blocks at a time.
WavCheck CheckMsAdpcmBlocks(ByteSource& in, std::string_view fmt, const WavInfo& info) {
    const unsigned count = std::min<unsigned>(Le16(fmt, 20), 256);
    const std::size_t run = info.blockAlign * std::max<std::size_t>(1, 65536 / info.blockAlign);
    for (std::size_t from = 0; from < info.dataSize; from += run) {
        const std::string_view b =
            in.Read(info.dataOffset + from, std::min(run, info.dataSize - from));
        for (std::size_t block = 0; block < b.size(); block += info.blockAlign) {
            for (std::size_t c = 0; c < info.channels; ++c) {
                const auto index = static_cast<unsigned char>(b[block + c]);
                if (index >= count)
                    return Fail(WavError::UnsupportedFormat,
                                "MS ADPCM block at data offset " + std::to_string(from + block) +
                                    " names coefficient pair " + std::to_string(index) + " of " +
                                    std::to_string(count));
            }
        }
    }
    return {};
}

// The check of the file that the source reads; fmt receives the fmt chunk's
// body. It reads the RIFF header, each chunk header, the fmt chunk's body and
// (for MS ADPCM) the data, and nothing else.
WavCheck CheckChunks(ByteSource& in, std::string& fmt) {
    const std::size_t total = in.Total();
    if (total < 12)
        return Fail(WavError::TooShort, "file is " + std::to_string(total) +
                                            " bytes, too short for a RIFF header (12)");
    const std::string_view riff = in.Read(0, 12);
    if (riff.compare(0, 4, "RIFF") != 0)
        return Fail(WavError::NotRiff, "not a RIFF file (starts with \"" + FourCc(riff, 0) + "\")");
    if (riff.compare(8, 4, "WAVE") != 0)
        return Fail(WavError::NotWave,
                    "RIFF form type is \"" + FourCc(riff, 8) + "\", not \"WAVE\"");

    WavInfo info;
    bool haveFmt = false;
    std::size_t pos = 12;
    for (;;) {
        if (pos >= total)
            break;
        if (total - pos < 8)
            return Fail(WavError::TruncatedChunk, "truncated chunk header at offset " +
                                                      std::to_string(pos) + " (" +
                                                      std::to_string(total - pos) + " of 8 bytes)");
        const std::string_view header = in.Read(pos, 8);
        const std::string id = FourCc(header, 0);
        const std::uint32_t size = Le32(header, 4);
        const std::size_t body = pos + 8;
        const std::size_t avail = total - body;
        if (id == "fmt ") {
            if (haveFmt)
                return Fail(WavError::UnsupportedFormat,
                            "second fmt chunk at offset " + std::to_string(pos));
            if (size > avail)
                return Fail(WavError::TruncatedChunk, "fmt chunk declares " + std::to_string(size) +
                                                          " bytes, only " + std::to_string(avail) +
                                                          " present");
            in.ReadInto(body, size, fmt);
            WavCheck check = CheckFmt(fmt, 0, size, info);
            if (!check.ok())
                return check;
            haveFmt = true;
            info.fmtOffset = body;
            info.fmtSize = size;
        } else if (id == "data") {
            if (!haveFmt)
                return Fail(WavError::NoFmtChunk, "data chunk at offset " + std::to_string(pos) +
                                                      " comes before any fmt chunk");
            info.dataOffset = body;
            info.dataDeclared = size;
            std::size_t present = size <= avail ? size : avail;
            info.dataTruncated = size > avail;
            info.dataSize = present - present % info.blockAlign;
            if (info.formatTag == WAV_FORMAT_MS_ADPCM) {
                WavCheck blocks = CheckMsAdpcmBlocks(in, fmt, info);
                if (!blocks.ok())
                    return blocks;
            }
            WavCheck ok;
            ok.info = info;
            return ok;
        }
        // Skip any other chunk (and a pad byte after an odd size) unread.
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

} // namespace

WavCheck CheckWav(std::string_view bytes) {
    ByteSource in(bytes);
    std::string fmt;
    return CheckChunks(in, fmt);
}

std::string NormalisedWav(std::string_view fmt, std::string_view data) {
    const std::size_t pad = fmt.size() & 1u;
    auto le32 = [](std::size_t v) {
        std::string out(4, '\0');
        for (std::size_t i = 0; i < 4; ++i)
            out[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return out;
    };
    std::string out =
        "RIFF" + le32(4 + 8 + fmt.size() + pad + 8 + data.size()) + "WAVEfmt " + le32(fmt.size());
    out += fmt;
    out.append(pad, '\0');
    out += "data" + le32(data.size());
    out += data;
    return out;
}

namespace {

// Why a data file did not open, from errno.
std::string OpenFailure(const std::string& path) {
    return errno == EISDIR ? "cannot read " + path + ": it is a folder"
                           : "cannot open " + path + ": " + std::strerror(errno);
}

// Opens a data file; nullptr with the reason in error.
std::FILE* OpenForReading(const std::string& path, std::string& error) {
    std::FILE* file = platform::OpenDataFile(path);
    if (!file)
        error = OpenFailure(path);
    return file;
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    if (platform::ReadDataFile(path, bytes))
        return true;
    error = errno == EIO ? "cannot read " + path : OpenFailure(path);
    return false;
}

WavFile::WavFile(const std::string& path) {
    std::string error;
    m_file = OpenForReading(path, error);
    long size = -1;
    if (m_file && std::fseek(m_file, 0, SEEK_END) == 0)
        size = std::ftell(m_file);
    // A file that shrinks meanwhile is checked again as far as it then goes.
    bool failed = size < 0;
    for (std::size_t total = failed ? 0 : static_cast<std::size_t>(size); !failed;) {
        ByteSource in(m_file, total);
        m_check = CheckChunks(in, m_fmt);
        failed = in.Failed();
        if (!in.Changed())
            break;
        total = in.End();
    }
    m_next = m_check.info.dataOffset;
    if (failed || (m_check.ok() && std::fseek(m_file, static_cast<long>(m_next), SEEK_SET) != 0))
        m_check = Fail(WavError::Unreadable, m_file ? "cannot read " + path : error);
}

WavFile::~WavFile() {
    if (m_file)
        std::fclose(m_file);
}

std::size_t WavFile::ReadData(char* out, std::size_t n) {
    const WavInfo& info = m_check.info;
    if (!m_check.ok())
        return 0;
    n = std::fread(out, 1, std::min(n, info.dataOffset + info.dataSize - m_next), m_file);
    m_next += n;
    return n;
}

WavCheck CheckWavFile(const std::string& path) {
    return WavFile(path).Check();
}
