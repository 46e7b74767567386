// The validating WAV header parser (playback/audio/wav_header.h).
#include "playback/audio/wav_header.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "playback/audio/pcm16.h"

#include "support/test_support.h"

namespace {

using testsupport::Le;
using testsupport::RiffWave;
using testsupport::WavData;
using testsupport::WavFmt;

std::string Valid(int samples = 100) {
    return testsupport::MakeWav(22050, samples);
}

// A valid file with the bytes at `at` replaced. MakeWav's layout: RIFF header
// 0..11, fmt chunk 12..35 (format tag at 20, channels 22, rate 24, block
// align 32, bits 34), data chunk header 36..43, samples from 44.
std::string Patched(std::size_t at, const std::string& bytes) {
    return Valid().replace(at, bytes.size(), bytes);
}

std::string Extensible(unsigned subFormat) {
    return RiffWave(testsupport::WavExtensibleFmt(subFormat) + WavData(std::string(8, '\0')));
}

TEST(WavHeader, RejectsBrokenFilesWithAnExactReason) {
    const std::string wav = Valid();
    const struct {
        std::string bytes;
        WavError error;
        std::string part; // of the message
    } cases[] = {
        {"", WavError::TooShort, "0 bytes"},
        {wav.substr(0, 11), WavError::TooShort, "11 bytes"},
        {"This is plain text, no sound.", WavError::NotRiff, "not a RIFF file"},
        {std::string("\x01\x02\x03\x04", 4) + std::string(40, '\0'), WavError::NotRiff, "\\x01"},
        {Patched(8, "AVI "), WavError::NotWave, "\"AVI \""},
        // Cut inside the fmt body, the fmt header, the data header; after fmt or RIFF.
        {wav.substr(0, 30), WavError::TruncatedChunk, "fmt chunk declares 16 bytes, only 10"},
        {wav.substr(0, 16), WavError::TruncatedChunk, "offset 12"},
        {wav.substr(0, 40), WavError::TruncatedChunk, "offset 36 (4 of 8 bytes)"},
        {wav.substr(0, 36), WavError::NoDataChunk, "no data chunk"},
        {wav.substr(0, 12), WavError::NoFmtChunk, "no fmt chunk"},
        {RiffWave("LIST" + Le(100, 4) + "INFO"), WavError::TruncatedChunk,
         "\"LIST\" at offset 12 declares 100 bytes"},
        {RiffWave(WavData(std::string(4, '\0')) + WavFmt(1, 1, 8000, 2, 16)), WavError::NoFmtChunk,
         "before any fmt chunk"},
        {RiffWave("fmt " + Le(14, 4) + std::string(14, '\0') + WavData("ab")),
         WavError::FmtTooSmall, "14 bytes"},
        {Patched(20, Le(0x55, 2)), WavError::UnsupportedFormat, "0x0055 (MPEG Layer 3)"},
        {Patched(22, Le(0, 2)), WavError::BadChannels, "0 channels"},
        {Patched(22, Le(9, 2)), WavError::BadChannels, "9 channels"},
        {Patched(24, Le(0, 4)), WavError::BadSampleRate, "sample rate 0"},
        {Patched(34, Le(12, 2)), WavError::BadBitsPerSample, "12 bits per sample for PCM"},
        {Patched(32, Le(4, 2)), WavError::BadBlockAlign, "block size 4"},
        {RiffWave(WavFmt(3, 1, 8000, 8, 64) + WavData(std::string(16, '\0'))),
         WavError::BadBitsPerSample, "64 bits per sample for IEEE float; expected 32"},
        {Extensible(2), WavError::UnsupportedFormat, "extensible sub-format 0x0002"},
        {RiffWave("fmt " + Le(18, 4) + Le(0xFFFE, 2) + std::string(16, '\0') + WavData("")),
         WavError::FmtTooSmall, "at least 40"},
    };
    for (const auto& c : cases) {
        const WavCheck check = CheckWav(c.bytes);
        EXPECT_EQ(check.error, c.error) << c.part << ": " << check.message;
        EXPECT_FALSE(check.ok()) << c.part;
        EXPECT_NE(check.message.find(c.part), std::string::npos) << check.message;
    }
}

TEST(WavHeader, AcceptsReadableFilesAndFindsTheirData) {
    const std::string chunks = "LIST" + Le(5, 4) + "INFOx" + std::string(1, '\0') +
                               WavFmt(1, 1, 8000, 2, 16) + "junk" + Le(3, 4) + "abc" +
                               std::string(1, '\0') + WavData("abcd");
    const struct {
        std::string bytes;
        std::size_t dataOffset, dataSize;
        std::uint32_t declared; // differs from dataSize when the file is cut short
    } cases[] = {
        {Valid(100), 44, 200, 200},
        {RiffWave(WavFmt(3, 2, 48000, 8, 32) + WavData(std::string(16, '\0'))), 44, 16, 16},
        {RiffWave(WavFmt(1, 2, 44100, 6, 24) + WavData(std::string(12, '\0'))), 44, 12, 12},
        {RiffWave(WavFmt(1, 1, 8000, 1, 8) + WavData(std::string(3, '\x80'))), 44, 3, 3},
        {RiffWave(WavFmt(7, 1, 8000, 1, 8) + WavData(std::string(3, '\0'))), 44, 3, 3},
        {RiffWave(WavFmt(0x11, 1, 8000, 256, 4) + WavData(std::string(256, '\0'))), 44, 256, 256},
        {Extensible(1), 68, 8, 8},
        // Other chunks are skipped with their pad byte.
        {RiffWave(chunks), RiffWave(chunks).size() - 4, 4, 4},
        // The data may be empty or cut (here to 25.5 samples: whole blocks count).
        {RiffWave(WavFmt(1, 1, 8000, 2, 16) + WavData("")), 44, 0, 0},
        {Valid(100).substr(0, 44 + 51), 44, 50, 200},
    };
    for (const auto& c : cases) {
        const WavCheck check = CheckWav(c.bytes);
        ASSERT_TRUE(check.ok()) << check.message;
        EXPECT_EQ(check.info.dataOffset, c.dataOffset) << c.dataSize;
        EXPECT_EQ(check.info.dataSize, c.dataSize) << c.dataOffset;
        EXPECT_EQ(check.info.dataDeclared, c.declared) << c.dataSize;
        EXPECT_EQ(check.info.dataTruncated, c.declared != c.dataSize) << c.dataSize;
    }
    EXPECT_EQ(CheckWav(Valid()).info.sampleRate, 22050u);
    WavCheck c = CheckWav(Extensible(1));
    EXPECT_TRUE(c.info.extensible);
    EXPECT_EQ(c.info.formatTag, WAV_FORMAT_PCM);
    testsupport::TempDir dir;
    EXPECT_EQ(CheckWavFile(dir / "none.wav").error, WavError::Unreadable);
    EXPECT_NE(CheckWavFile(dir.Path()).message.find("folder"), std::string::npos);
}

// ToPcm16: what a back end whose device takes only 16-bit PCM plays.
TEST(WavHeader, Pcm16ConversionOfEachUncompressedFormat) {
    const float floats[] = {1.5f, -0.5f, NAN};
    struct Case {
        std::uint16_t tag, bits;
        std::string data;
        std::vector<std::int16_t> expected;
    } cases[] = {
        {WAV_FORMAT_PCM, 8, std::string("\x00\x80\xff", 3), {-32768, 0, 32512}},
        {WAV_FORMAT_PCM, 16, std::string("\x34\x12", 2), {0x1234}},
        {WAV_FORMAT_PCM, 24, std::string("\x00\x34\x12\xff\xff\xff", 6), {0x1234, -1}},
        {WAV_FORMAT_PCM, 32, std::string("\x00\x00\x34\x12", 4), {0x1234}},
        {WAV_FORMAT_IEEE_FLOAT,
         32,
         std::string(reinterpret_cast<const char*>(floats), 12),
         {32767, -16384, 0}},
    };
    for (const Case& c : cases) {
        WavInfo info;
        info.formatTag = c.tag;
        info.bitsPerSample = c.bits;
        std::vector<std::uint8_t> out;
        ASSERT_TRUE(ToPcm16(info, c.data, out)) << c.bits;
        std::vector<std::int16_t> samples(out.size() / 2);
        std::memcpy(samples.data(), out.data(), out.size());
        EXPECT_EQ(samples, c.expected) << c.tag << "/" << c.bits;
    }
    WavInfo mulaw;
    mulaw.formatTag = WAV_FORMAT_MULAW;
    mulaw.bitsPerSample = 8;
    std::vector<std::uint8_t> out;
    EXPECT_FALSE(ToPcm16(mulaw, "\x01", out));
}

} // namespace
