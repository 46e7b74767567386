// The validating WAV header parser (playback/audio/wav_header.h).
#include "playback/audio/wav_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playback/audio/pcm16.h"

#include "support/test_support.h"

namespace {

// The vectors of tests/fixtures/vectors/wav.txt, of one kind.
std::vector<std::vector<std::string>> Rows(const std::string& kind) {
    std::vector<std::vector<std::string>> rows;
    for (auto& v : testsupport::Vectors("wav.txt"))
        if (v[0] == kind)
            rows.push_back(std::move(v));
    return rows;
}

TEST(WavHeader, RejectsBrokenFilesWithAnExactReason) {
    const char* const names[] = {
        "None",           "Unreadable",       "TooShort",      "NotRiff",           "NotWave",
        "TruncatedChunk", "NoFmtChunk",       "FmtTooSmall",   "UnsupportedFormat", "BadChannels",
        "BadSampleRate",  "BadBitsPerSample", "BadBlockAlign", "NoDataChunk"};
    for (const auto& v : Rows("reject")) {
        const WavCheck check = CheckWav(v[1]);
        EXPECT_EQ(names[static_cast<int>(check.error)], v[2]) << v[3] << ": " << check.message;
        EXPECT_NE(check.message.find(v[3]), std::string::npos) << check.message;
    }
}

TEST(WavHeader, AcceptsReadableFilesAndFindsTheirData) {
    for (const auto& v : Rows("accept")) {
        const WavCheck check = CheckWav(v[1]);
        ASSERT_TRUE(check.ok()) << check.message;
        EXPECT_EQ(check.info.dataOffset, std::stoul(v[2])) << v[3];
        EXPECT_EQ(check.info.dataSize, std::stoul(v[3])) << v[2];
        EXPECT_EQ(check.info.dataDeclared, std::stoul(v[4])) << v[3];
        EXPECT_EQ(check.info.dataTruncated, v[3] != v[4]) << v[3];
    }
    EXPECT_EQ(CheckWav(testsupport::MakeWav(22050, 100)).info.sampleRate, 22050u);
    WavCheck c = CheckWav(Rows("accept")[6][1]); // the extensible form
    EXPECT_TRUE(c.info.extensible);
    EXPECT_EQ(c.info.formatTag, WAV_FORMAT_PCM);
    testsupport::TempDir dir;
    EXPECT_EQ(CheckWavFile(dir / "none.wav").error, WavError::Unreadable);
    EXPECT_NE(CheckWavFile(dir.Path()).message.find("folder"), std::string::npos);
}

// ToPcm16: what a back end whose device takes only 16-bit PCM plays.
TEST(WavHeader, Pcm16ConversionOfEachUncompressedFormat) {
    for (const auto& v : Rows("pcm16")) {
        WavInfo info;
        info.formatTag = static_cast<std::uint16_t>(std::stoi(v[1]));
        info.bitsPerSample = static_cast<std::uint16_t>(std::stoi(v[2]));
        std::vector<std::uint8_t> out;
        ASSERT_EQ(ToPcm16(info, v[3], out), v.size() > 4) << v[1] << "/" << v[2];
        std::string samples;
        for (std::size_t i = 0; i + 1 < out.size(); i += 2)
            samples += (i ? " " : "") +
                       std::to_string(static_cast<std::int16_t>(out[i] | out[i + 1] << 8));
        EXPECT_EQ(samples, v.size() > 4 ? v[4] : "") << v[1] << "/" << v[2];
    }
}

} // namespace
