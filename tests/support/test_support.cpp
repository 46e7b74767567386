#include "support/test_support.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/paths.h"
#include "support/system_support.h"

namespace fs = std::filesystem;

namespace testsupport {

bool WindowsBuild() {
    return platform::kPathSeparator == '\\';
}

std::string Native(std::string path) {
    for (char& c : path)
        c = c == '/' ? platform::kPathSeparator : c;
    return path;
}

TempDir::TempDir(bool inMemory) {
    std::error_code ec;
    // In memory where the system has it: syncs there cost nothing.
    const fs::path base = inMemory && fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm")
                                                                       : fs::temp_directory_path();
    std::random_device seed;
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        const fs::path candidate = base / ("voxlet-test-" + std::to_string(seed()));
        if (fs::create_directory(candidate, ec))
            m_path = candidate.string();
    }
    if (m_path.empty())
        throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

std::string TempDir::operator/(std::string_view name) const {
    return m_path + "/" + std::string(name);
}

void WriteFile(const std::string& path, std::string_view bytes) {
    fs::path p(path);
    if (p.has_parent_path())
        fs::create_directories(p.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Cp932Crlf(std::string_view utf8) {
    const std::string bytes = SystemCp932(utf8);
    std::string crlf;
    for (char c : bytes)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return crlf;
}

std::string Le(unsigned value, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s += static_cast<char>((value >> (8 * i)) & 0xFF);
    return s;
}

std::string WavFmt(unsigned tag, unsigned channels, unsigned rate, unsigned blockAlign,
                   unsigned bits) {
    return "fmt " + Le(16, 4) + Le(tag, 2) + Le(channels, 2) + Le(rate, 4) +
           Le(rate * blockAlign, 4) + Le(blockAlign, 2) + Le(bits, 2);
}

std::string RiffWave(const std::string& chunks) {
    return "RIFF" + Le(static_cast<unsigned>(4 + chunks.size()), 4) + "WAVE" + chunks;
}

std::string WavData(const std::string& bytes) {
    return "data" + Le(static_cast<unsigned>(bytes.size()), 4) + bytes;
}

std::string MakeWav(int sampleRate, int samples, short amplitude) {
    std::string data;
    for (int i = 0; i < samples; ++i) {
        double v = amplitude * std::sin(2.0 * 3.14159265358979 * 440.0 * i / sampleRate);
        data += Le(static_cast<unsigned short>(static_cast<short>(std::lround(v))), 2);
    }
    return RiffWave(WavFmt(1, 1, static_cast<unsigned>(sampleRate), 2, 16) + WavData(data));
}

#ifdef VOXLET_TEST_DATA
static std::string Unescape(std::string_view s) {
    if (s.starts_with("@cp932:"))
        return Cp932Crlf(Unescape(s.substr(7)));
    static const std::string from = "rntv0\\", to("\r\n\t\v\0\\", 6);
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
        } else if (s[++i] == 'x') {
            out += static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            const auto at = from.find(s[i]);
            out += at == std::string::npos ? s[i] : to[at];
        }
    }
    return out;
}

std::vector<std::vector<std::string>> Vectors(const std::string& name) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(ReadFile(std::string(VOXLET_TEST_DATA) + "/vectors/" + name));
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        rows.emplace_back();
        for (std::size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 1) {
            bar = line.find('|', start);
            rows.back().push_back(Unescape(std::string_view(line).substr(start, bar - start)));
        }
    }
    return rows;
}
#endif

} // namespace testsupport
