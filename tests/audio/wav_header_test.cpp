// The validating WAV header parser (playback/audio/wav_header.h).
#include "playback/audio/wav_header.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace {

void Put(std::string& s, std::size_t at, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        s[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Le(unsigned value, int bytes) {
    std::string s(static_cast<std::size_t>(bytes), '\0');
    Put(s, 0, value, bytes);
    return s;
}

// MakeWav's layout: RIFF header 0..11, fmt chunk 12..35 (body at 20), data
// chunk header 36..43, samples from 44.
constexpr std::size_t kTag = 20, kChannels = 22, kRate = 24, kBlockAlign = 32, kBits = 34;

std::string Valid(int samples = 100) {
    return testsupport::MakeWav(22050, samples);
}

std::string Fmt(unsigned tag, unsigned channels, unsigned rate, unsigned blockAlign,
                unsigned bits) {
    return "fmt " + Le(16, 4) + Le(tag, 2) + Le(channels, 2) + Le(rate, 4) +
           Le(rate * blockAlign, 4) + Le(blockAlign, 2) + Le(bits, 2);
}

std::string Riff(const std::string& chunks) {
    return "RIFF" + Le(4 + chunks.size(), 4) + "WAVE" + chunks;
}

std::string Data(const std::string& bytes) {
    return "data" + Le(bytes.size(), 4) + bytes;
}

void ExpectError(const std::string& bytes, WavError error, const std::string& part) {
    WavCheck c = CheckWav(bytes);
    EXPECT_EQ(c.error, error) << c.message;
    EXPECT_FALSE(c.ok());
    EXPECT_NE(c.message.find(part), std::string::npos) << "message: " << c.message;
}

TEST(WavHeader, AcceptsAPlainPcmFile) {
    WavCheck c = CheckWav(Valid(100));
    ASSERT_TRUE(c.ok()) << c.message;
    EXPECT_TRUE(c.message.empty());
    EXPECT_EQ(c.info.formatTag, WAV_FORMAT_PCM);
    EXPECT_EQ(c.info.channels, 1);
    EXPECT_EQ(c.info.sampleRate, 22050u);
    EXPECT_EQ(c.info.blockAlign, 2);
    EXPECT_EQ(c.info.bitsPerSample, 16);
    EXPECT_EQ(c.info.dataOffset, 44u);
    EXPECT_EQ(c.info.dataSize, 200u);
    EXPECT_FALSE(c.info.dataTruncated);
}

TEST(WavHeader, RejectsFilesTooShortForARiffHeader) {
    ExpectError("", WavError::TooShort, "0 bytes");
    ExpectError(Valid().substr(0, 11), WavError::TooShort, "11 bytes");
}

TEST(WavHeader, RejectsGarbage) {
    ExpectError("This is plain text, no sound.", WavError::NotRiff, "not a RIFF file");
    std::string rifx = Valid();
    rifx[3] = 'X';
    ExpectError(rifx, WavError::NotRiff, "RIFX");
    ExpectError(std::string("\x01\x02\x03\x04", 4) + std::string(40, '\0'), WavError::NotRiff,
                "\\x01");
}

TEST(WavHeader, RejectsOtherRiffForms) {
    std::string avi = Valid();
    avi.replace(8, 4, "AVI ");
    ExpectError(avi, WavError::NotWave, "\"AVI \"");
}

TEST(WavHeader, RejectsTruncatedHeaders) {
    const std::string wav = Valid();
    // Inside the fmt chunk body.
    ExpectError(wav.substr(0, 30), WavError::TruncatedChunk,
                "fmt chunk declares 16 bytes, only 10");
    // Inside the fmt chunk header.
    ExpectError(wav.substr(0, 16), WavError::TruncatedChunk, "offset 12");
    // Inside the data chunk header.
    ExpectError(wav.substr(0, 40), WavError::TruncatedChunk, "offset 36 (4 of 8 bytes)");
    // Right after the fmt chunk.
    ExpectError(wav.substr(0, 36), WavError::NoDataChunk, "no data chunk");
    // Right after the RIFF header.
    ExpectError(wav.substr(0, 12), WavError::NoFmtChunk, "no fmt chunk");
}

TEST(WavHeader, RejectsAnOtherChunkRunningPastTheEnd) {
    std::string bytes = Riff("LIST" + Le(100, 4) + "INFO");
    ExpectError(bytes, WavError::TruncatedChunk, "\"LIST\" at offset 12 declares 100 bytes");
}

TEST(WavHeader, RejectsDataBeforeFmt) {
    ExpectError(Riff(Data(std::string(4, '\0')) + Fmt(1, 1, 8000, 2, 16)), WavError::NoFmtChunk,
                "before any fmt chunk");
}

TEST(WavHeader, RejectsASmallFmtChunk) {
    std::string chunks = "fmt " + Le(14, 4) + std::string(14, '\0') + Data("ab");
    ExpectError(Riff(chunks), WavError::FmtTooSmall, "14 bytes");
}

TEST(WavHeader, RejectsUnsupportedFormats) {
    std::string mp3 = Valid();
    Put(mp3, kTag, 0x55, 2);
    ExpectError(mp3, WavError::UnsupportedFormat, "0x0055 (MPEG Layer 3)");
    std::string odd = Valid();
    Put(odd, kTag, 0x1234, 2);
    ExpectError(odd, WavError::UnsupportedFormat, "0x1234");
}

TEST(WavHeader, RejectsInsaneFormatFields) {
    std::string noChannels = Valid();
    Put(noChannels, kChannels, 0, 2);
    ExpectError(noChannels, WavError::BadChannels, "0 channels");
    std::string many = Valid();
    Put(many, kChannels, 9, 2);
    ExpectError(many, WavError::BadChannels, "9 channels");
    std::string noRate = Valid();
    Put(noRate, kRate, 0, 4);
    ExpectError(noRate, WavError::BadSampleRate, "sample rate 0");
    std::string bits = Valid();
    Put(bits, kBits, 12, 2);
    ExpectError(bits, WavError::BadBitsPerSample, "12 bits per sample for PCM");
    std::string align = Valid();
    Put(align, kBlockAlign, 4, 2);
    ExpectError(align, WavError::BadBlockAlign, "block size 4");
}

TEST(WavHeader, RejectsDoubleFloat) {
    ExpectError(Riff(Fmt(3, 1, 8000, 8, 64) + Data(std::string(16, '\0'))),
                WavError::BadBitsPerSample, "64 bits per sample for IEEE float; expected 32");
}

TEST(WavHeader, AcceptsOtherReadableFormats) {
    EXPECT_TRUE(CheckWav(Riff(Fmt(3, 2, 48000, 8, 32) + Data(std::string(16, '\0')))).ok());
    EXPECT_TRUE(CheckWav(Riff(Fmt(1, 2, 44100, 6, 24) + Data(std::string(12, '\0')))).ok());
    EXPECT_TRUE(CheckWav(Riff(Fmt(1, 1, 8000, 1, 8) + Data(std::string(3, '\x80')))).ok());
    EXPECT_TRUE(CheckWav(Riff(Fmt(7, 1, 8000, 1, 8) + Data(std::string(3, '\0')))).ok());
    EXPECT_TRUE(CheckWav(Riff(Fmt(0x11, 1, 8000, 256, 4) + Data(std::string(256, '\0')))).ok());
}

TEST(WavHeader, ReadsTheExtensibleForm) {
    auto ext = [](unsigned subFormat) {
        std::string fmt =
            "fmt " + Le(40, 4) + Le(0xFFFE, 2) + Le(2, 2) + Le(44100, 4) + Le(44100 * 4, 4) +
            Le(4, 2) + Le(16, 2) + Le(22, 2) + Le(16, 2) + Le(3, 4) + Le(subFormat, 2) +
            std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
        return Riff(fmt + Data(std::string(8, '\0')));
    };
    WavCheck c = CheckWav(ext(1));
    ASSERT_TRUE(c.ok()) << c.message;
    EXPECT_TRUE(c.info.extensible);
    EXPECT_EQ(c.info.formatTag, WAV_FORMAT_PCM);
    ExpectError(ext(2), WavError::UnsupportedFormat, "extensible sub-format 0x0002");
    std::string shortExt = "fmt " + Le(18, 4) + Le(0xFFFE, 2) + std::string(16, '\0');
    ExpectError(Riff(shortExt + Data("")), WavError::FmtTooSmall, "at least 40");
}

TEST(WavHeader, SkipsOtherChunksWithTheirPadByte) {
    std::string chunks = "LIST" + Le(5, 4) + "INFOx" + std::string(1, '\0') +
                         Fmt(1, 1, 8000, 2, 16) + "junk" + Le(3, 4) + "abc" + std::string(1, '\0') +
                         Data("abcd");
    WavCheck c = CheckWav(Riff(chunks));
    ASSERT_TRUE(c.ok()) << c.message;
    EXPECT_EQ(c.info.dataSize, 4u);
    EXPECT_EQ(c.info.dataOffset, Riff(chunks).size() - 4);
}

TEST(WavHeader, CutsATruncatedDataChunkToWholeBlocks) {
    std::string wav = Valid(100).substr(0, 44 + 51); // 25.5 samples present
    WavCheck c = CheckWav(wav);
    ASSERT_TRUE(c.ok()) << c.message;
    EXPECT_TRUE(c.info.dataTruncated);
    EXPECT_EQ(c.info.dataDeclared, 200u);
    EXPECT_EQ(c.info.dataSize, 50u);
}

TEST(WavHeader, AcceptsAnEmptyDataChunk) {
    WavCheck c = CheckWav(Riff(Fmt(1, 1, 8000, 2, 16) + Data("")));
    ASSERT_TRUE(c.ok()) << c.message;
    EXPECT_EQ(c.info.dataSize, 0u);
}

TEST(WavHeader, FileThatCannotBeReadIsUnreadable) {
    testsupport::TempDir dir;
    WavCheck missing = CheckWavFile(dir / "none.wav");
    EXPECT_EQ(missing.error, WavError::Unreadable);
    EXPECT_NE(missing.message.find("none.wav"), std::string::npos) << missing.message;
    WavCheck folder = CheckWavFile(dir.Path());
    EXPECT_EQ(folder.error, WavError::Unreadable);
    EXPECT_NE(folder.message.find("folder"), std::string::npos) << folder.message;
    testsupport::WriteFile(dir / "ok.wav", Valid());
    EXPECT_TRUE(CheckWavFile(dir / "ok.wav").ok());
}

TEST(WavHeader, EveryErrorHasAName) {
    EXPECT_STREQ(WavErrorName(WavError::None), "ok");
    EXPECT_STREQ(WavErrorName(WavError::NotRiff), "not a RIFF file");
    EXPECT_STREQ(WavErrorName(WavError::NoDataChunk), "no data chunk");
}

} // namespace
