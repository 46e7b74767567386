#include "tools/demo/clip_synth.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "playback/audio/wav_header.h"

namespace demo {

namespace {

void PutU16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A note of the given frequency, with 5 ms fades so that it does not click.
void AddNote(Pcm& pcm, double frequency, int samples, double amplitude) {
    constexpr double kPi = 3.14159265358979323846;
    const int fade = pcm.rate / 200;
    for (int i = 0; i < samples; ++i) {
        double gain = amplitude;
        if (i < fade)
            gain *= static_cast<double>(i) / fade;
        else if (samples - i < fade)
            gain *= static_cast<double>(samples - i) / fade;
        const double value = gain * std::sin(2.0 * kPi * frequency * i / pcm.rate);
        pcm.samples.push_back(static_cast<std::int16_t>(std::lround(value)));
    }
}

void AddSilence(Pcm& pcm, int samples) {
    pcm.samples.insert(pcm.samples.end(), static_cast<std::size_t>(samples), 0);
}

// The number of UTF-8 characters (lead bytes) of a text.
std::size_t CharacterCount(const std::string& utf8) {
    std::size_t count = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count;
}

} // namespace

bool ReadPcmWav(const std::string& path, Pcm& pcm, std::string& error) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes, error))
        return false;
    const WavCheck check = CheckWav(bytes);
    if (!check.ok()) {
        error = path + ": " + check.message;
        return false;
    }
    const WavInfo& info = check.info;
    if (info.formatTag != WAV_FORMAT_PCM || info.channels != 1 || info.bitsPerSample != 16) {
        error = path + ": not 16-bit mono PCM";
        return false;
    }
    pcm.rate = static_cast<int>(info.sampleRate);
    pcm.samples.resize(info.dataSize / 2);
    for (std::size_t i = 0; i < pcm.samples.size(); ++i) {
        const auto lo = static_cast<unsigned char>(bytes[info.dataOffset + 2 * i]);
        const auto hi = static_cast<unsigned char>(bytes[info.dataOffset + 2 * i + 1]);
        pcm.samples[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
    }
    return true;
}

std::string WavBytes(const Pcm& pcm) {
    const auto dataBytes = static_cast<std::uint32_t>(pcm.samples.size() * 2);
    std::string out;
    out.reserve(44 + dataBytes);
    out += "RIFF";
    PutU32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    PutU32(out, 16);
    PutU16(out, 1); // PCM
    PutU16(out, 1); // mono
    PutU32(out, static_cast<std::uint32_t>(pcm.rate));
    PutU32(out, static_cast<std::uint32_t>(pcm.rate * 2));
    PutU16(out, 2);
    PutU16(out, 16);
    out += "data";
    PutU32(out, dataBytes);
    for (const std::int16_t s : pcm.samples)
        PutU16(out, static_cast<std::uint16_t>(s));
    return out;
}

void FinishClip(Pcm& pcm) {
    AddSilence(pcm, pcm.rate / 5);
    const std::size_t minimum = static_cast<std::size_t>(pcm.rate) * 6 / 10;
    if (pcm.samples.size() < minimum)
        AddSilence(pcm, static_cast<int>(minimum - pcm.samples.size()));
}

int RoundedSeconds(std::size_t dataBytes, std::uint32_t byteRate) {
    if (byteRate == 0)
        return 0;
    return static_cast<int>((2 * static_cast<unsigned long long>(dataBytes) + byteRate) /
                            (2 * static_cast<unsigned long long>(byteRate)));
}

Pcm ToneSequence(int seconds, unsigned seed) {
    // A major pentatonic scale from C5.
    static const double kScale[] = {523.25, 587.33, 659.25, 783.99, 880.00, 1046.50};
    Pcm pcm;
    const int note = pcm.rate / 5;     // 0.2 s
    const int gap = pcm.rate / 20;     // 0.05 s
    const int notes = seconds * 4 - 1; // the last quarter second stays silent
    unsigned state = seed * 2654435761u + 12345u;
    for (int i = 0; i < notes; ++i) {
        state = state * 1103515245u + 12345u;
        AddNote(pcm, kScale[(state >> 16) % 6], note, 6000.0);
        AddSilence(pcm, gap);
    }
    AddSilence(pcm, seconds * pcm.rate - static_cast<int>(pcm.samples.size()));
    return pcm;
}

Pcm Fanfare() {
    Pcm pcm;
    const double notes[] = {523.25, 659.25, 783.99, 1046.50};
    for (const double f : notes) {
        AddNote(pcm, f, pcm.rate / 4, 7000.0);
        AddSilence(pcm, pcm.rate / 20);
    }
    AddNote(pcm, 1046.50, pcm.rate * 3 / 4, 7000.0);
    AddSilence(pcm, 2 * pcm.rate - static_cast<int>(pcm.samples.size()));
    return pcm;
}

int NominalSeconds(const std::string& utf8) {
    const int seconds = 1 + static_cast<int>(CharacterCount(utf8) / 8);
    return seconds > 4 ? 4 : seconds;
}

bool Speak(const std::string& espeak, const std::string& text, const std::string& wavPath, Pcm& pcm,
           std::string& error) {
    unlink(wavPath.c_str());
    const int status = RunProgram({espeak, "-v", "ja", "-w", wavPath, text}, "", "");
    if (status != 0) {
        error = espeak + " failed (status " + std::to_string(status) + ") for \"" + text + "\"";
        return false;
    }
    if (!ReadPcmWav(wavPath, pcm, error))
        return false;
    unlink(wavPath.c_str());
    return true;
}

int RunProgram(const std::vector<std::string>& argv, const std::string& cwd,
               const std::string& stdoutPath) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (!cwd.empty() && chdir(cwd.c_str()) != 0)
            _exit(127);
        const int in = open("/dev/null", O_RDONLY);
        if (in >= 0)
            dup2(in, 0);
        const int out = stdoutPath.empty()
                            ? open("/dev/null", O_WRONLY)
                            : open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0)
            dup2(out, 1);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (!WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
}

std::string FindProgram(const std::string& name) {
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

} // namespace demo
