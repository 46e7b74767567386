// WAV headers: an accepted file's data lies inside it in whole blocks, the
// streaming reader reaches the same verdict and the same samples, and the
// normalised file is accepted with the same format.
#include "fuzz.h"
#include "playback/audio/wav_header.h"

void FuzzOne(std::string_view bytes) {
    const WavCheck check = CheckWav(bytes);
    const std::string path = fuzz::Scratch() + "clip.wav";
    fuzz::WriteFile(path, bytes);
    WavFile file(path);
    FUZZ_CHECK(file.Check().error == check.error && file.Check().message == check.message);
    FUZZ_CHECK(check.ok() == check.message.empty());
    if (!check.ok())
        return;
    const WavInfo& info = check.info;
    FUZZ_CHECK(info.channels >= 1 && info.channels <= 8);
    FUZZ_CHECK(info.sampleRate >= 1 && info.sampleRate <= 768000);
    FUZZ_CHECK(info.blockAlign > 0 && info.dataSize % info.blockAlign == 0);
    FUZZ_CHECK(info.fmtOffset + info.fmtSize + 8 <= info.dataOffset);
    FUZZ_CHECK(info.dataOffset <= bytes.size() && info.dataSize <= bytes.size() - info.dataOffset);
    FUZZ_CHECK(info.dataSize <= info.dataDeclared);
    FUZZ_CHECK(file.Fmt() == bytes.substr(info.fmtOffset, info.fmtSize));

    std::string samples(info.dataSize + 1, '\0');
    samples.resize(file.ReadData(samples.data(), samples.size()));
    FUZZ_CHECK(samples == bytes.substr(info.dataOffset, info.dataSize));

    const WavCheck again = CheckWav(NormalisedWav(file.Fmt(), samples));
    FUZZ_CHECK(again.ok() && again.info.dataSize == info.dataSize);
    FUZZ_CHECK(again.info.formatTag == info.formatTag && again.info.channels == info.channels &&
               again.info.blockAlign == info.blockAlign &&
               again.info.sampleRate == info.sampleRate);
}
