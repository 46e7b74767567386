// The PC audio module (playback/audio/audio.h) over the recording back end:
// the state machine, the volume mapping and the transcript lines, as runs of
// steps in tests/fixtures/vectors/audio.txt.
#include "playback/audio/audio.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "playback/audio/recording_backend.h"
#include "support/test_support.h"

namespace {

// The level rows: the gain level of a trackbar percentage. The run rows: each
// starts with a fresh module and back end; the failure reporter and the steps
// write their own lines between the back end's.
TEST(PcAudio, LevelsAndRunsOfRequestsGiveTheirTranscripts) {
    for (const auto& v : testsupport::Vectors("audio.txt")) {
        if (v[0] == "level") {
            AudioState s;
            s.levelMax = std::stoi(v[1]);
            s.levelMin = std::stoi(v[2]);
            EXPECT_EQ(VolumeLevel(s, std::stoi(v[3])), std::stoi(v[4]))
                << v[1] << " " << v[2] << " " << v[3];
            continue;
        }
        testsupport::TempDir dir;
        testsupport::WriteFile(dir / "good.wav", testsupport::MakeWav(22050, 200));
        testsupport::WriteFile(dir / "other.wav", testsupport::MakeWav(8000, 80, 3000));
        std::string log;
        const auto line = [&log](const std::string& l) { log += l + "\n"; };
        PcAudio audio;
        RecordingAudioBackend* backend = nullptr;
        const auto install = [&](RecordingAudioBackend::Options options) {
            auto b = std::make_unique<RecordingAudioBackend>(line, options);
            backend = b.get();
            audio.SetBackend(std::move(b));
        };
        install({});
        std::function<void()> onFailure;
        audio.SetFailureReporter([&] {
            line("failure busy=" + std::to_string(audio.State().busy));
            if (onFailure)
                onFailure();
        });
        // play:FILE, or play:FILE:PERCENT when the trackbar moved since the last clip.
        const auto play = [&](const std::string& step) {
            const auto colon = step.find(':', 5);
            const auto percent = colon == std::string::npos
                                     ? std::nullopt
                                     : std::optional(std::stoi(step.substr(colon + 1)));
            if (!audio.Play(dir / (step.substr(5, colon - 5) + ".wav"), percent))
                line("dropped");
        };
        std::istringstream steps(v[1]);
        for (std::string s; steps >> s;) {
            if (s == "open")
                line("open " + std::to_string(audio.Open(nullptr)));
            else if (s.starts_with("play:"))
                play(s);
            else if (s == "stop")
                audio.StopClip();
            else if (s == "close")
                audio.Close();
            else if (s == "state")
                line("state opened=" + std::to_string(audio.State().opened) +
                     " busy=" + std::to_string(audio.State().busy) +
                     " loaded=" + std::to_string(audio.State().segmentLoaded));
            else if (s.starts_with("error:")) // the last failure's reason names the word
                line(backend->LastError().find(s.substr(6)) != std::string::npos
                         ? s
                         : "error " + backend->LastError());
            else if (s == "text" || s == "wav")
                testsupport::WriteFile(dir / "clip.wav", s == "wav"
                                                             ? testsupport::MakeWav(22050, 100)
                                                             : "this is not a wave file at all");
            else if (s == "fail-open" || s == "fail-gain")
                install({.failOpen = s == "fail-open", .failGain = s == "fail-gain"});
            else if (s == "no-backend")
                audio.SetBackend(nullptr);
            else if (s == "on-failure:nest") // a request from the reporter
                onFailure = [&] { play("play:other:100"); };
            else if (s == "on-failure:close") // the program shuts down while message 125 is open
                onFailure = [&] { audio.Close(); };
            else
                FAIL() << "unknown step " << s;
        }
        for (std::size_t at; (at = log.find(dir.Path())) != std::string::npos;)
            log.replace(at, dir.Path().size(), "@");
        EXPECT_EQ(log, v[2]) << v[1];
    }
}

} // namespace
