#include "robot.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"
#include "platform/text.h"
#include "playback/audio/audio_backend.h"
#include "print_line.h"

namespace card {

namespace {

constexpr std::size_t kRecordSize = 16;
constexpr std::int16_t kCodeProgram = 904;
constexpr std::int16_t kCodeWav = 999;

std::int16_t Word(const std::array<std::uint8_t, 16>& record, std::size_t offset) {
    return static_cast<std::int16_t>(
        static_cast<std::uint16_t>(record[offset] | (record[offset + 1] << 8)));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The file's bytes (at most limit of them); nullopt when it cannot be read.
std::optional<std::string> ReadBytes(const std::string& path, std::size_t limit) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::nullopt;
    std::string bytes;
    char chunk[4096];
    std::size_t n = 0;
    while (bytes.size() < limit && (n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, n);
    std::fclose(file);
    if (bytes.size() > limit)
        bytes.resize(limit);
    return bytes;
}

std::size_t CountClipBlocks(const std::string& program) {
    static constexpr std::string_view kBlock = "<block name=\"SOUND ID ";
    std::size_t count = 0;
    for (std::size_t at = program.find(kBlock); at != std::string::npos;
         at = program.find(kBlock, at + kBlock.size()))
        ++count;
    return count;
}

long long Nanoseconds(const timespec& t) {
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

} // namespace

bool ReadCatalogue(const std::string& path, std::map<int, CatalogueRow>& rows, std::string& error) {
    platform::TextRowReader reader(path);
    if (!reader.IsOpen()) {
        error = "cannot read the catalogue " + path;
        return false;
    }
    bool header = true;
    while (auto row = reader.ReadRow()) {
        if (header) { // the first line is a header, whatever it holds
            header = false;
            continue;
        }
        std::string text = *row;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        std::vector<std::string> columns;
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = text.find(',', start);
            columns.push_back(text.substr(start, comma - start));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        if (columns.size() < 5 || columns[1].empty())
            continue;
        // The sound id as the program stores it: atoi, truncated to 16 bits.
        const auto id = static_cast<std::int16_t>(std::atoi(columns[4].c_str()));
        rows.emplace(id, CatalogueRow{platform::Cp932ToUtf8(columns[1]), columns[3]});
    }
    return true;
}

std::string DescribeRecord(const std::array<std::uint8_t, 16>& record, const CatalogueRow* row,
                           const std::string* tm4) {
    const std::int16_t code = Word(record, 2);
    std::string line = "robot: marker=" + std::to_string(Word(record, 0)) +
                       " code=" + std::to_string(code) +
                       " length=" + std::to_string(Word(record, 4)) +
                       " interval=" + std::to_string(Word(record, 6)) +
                       " volume=" + std::to_string(Word(record, 8)) +
                       " target-time=" + std::to_string(Word(record, 10));
    if (code == kCodeProgram) {
        line += tm4 ? " run TEMP.TM4 (" + std::to_string(CountClipBlocks(*tm4)) + " clip blocks)"
                    : " run TEMP.TM4 (missing)";
    } else if (code == kCodeWav) {
        line += " play TEMP.wav";
    } else if (row) {
        line += " label=\"" + row->label + "\"";
    }
    return line;
}

Robot::Robot(std::string root, RobotOptions options, AudioBackend* audio)
    : m_root(std::move(root)), m_options(std::move(options)), m_audio(audio) {
    while (m_root.size() > 1 && m_root.back() == '/')
        m_root.pop_back();
}

Robot::~Robot() {
    ClosePipe();
}

bool Robot::Start(std::string& error) {
    for (const std::string& path : m_options.catalogues) {
        const bool recognition = EqualsNoCase(platform::BaseName(path), "Ninshiki.csv");
        if (!ReadCatalogue(path, recognition ? m_recognition : m_voices, error))
            return false;
    }
    if (m_options.voiceFolder.empty() && !m_options.catalogues.empty()) {
        const std::string folder = platform::CutAtLastSeparator(m_options.catalogues.front());
        m_options.voiceFolder = (folder.empty() ? std::string(".") : folder) + "/voice";
    }
    // What the card holds already was done before the robot started.
    const std::string path = WatchedPath();
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode))
        OnPoll();
    else
        m_seen = Look(path);
    return true;
}

std::string Robot::WatchedPath() const {
    return platform::ResolvePath(m_root + "/ADDON/REMOTE.LOG");
}

Robot::Seen Robot::Look(const std::string& path) const {
    Seen seen;
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return seen;
    seen.exists = true;
    seen.device = st.st_dev;
    seen.inode = st.st_ino;
    seen.mtimeNs = Nanoseconds(st.st_mtim);
    seen.ctimeNs = Nanoseconds(st.st_ctim);
    seen.size = st.st_size;
    seen.content = ReadBytes(path, 4096).value_or("");
    return seen;
}

void Robot::OnStored(const std::string& cardPath, const std::string& diskPath) {
    if (!EqualsNoCase(cardPath, "ADDON/REMOTE.LOG"))
        return; // TEMP.TM4 and TEMP.wav wait for their command
    struct stat st;
    if (stat(diskPath.c_str(), &st) == 0 && S_ISFIFO(st.st_mode))
        return; // a pipe is read by the poll
    // Every upload is a command, also one equal to the last; the poll must not
    // take it a second time.
    m_seen = Look(WatchedPath());
    Take(ReadBytes(diskPath, 4096).value_or(""));
}

void Robot::OnPoll() {
    const std::string path = WatchedPath();
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode)) {
        if (m_pipeFd < 0 || st.st_dev != m_pipeDevice || st.st_ino != m_pipeInode) {
            ClosePipe();
            // Read and write, so that the pipe never reports an end while no
            // writer has it open, and a writer never waits for a reader.
            m_pipeFd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            m_pipeDevice = st.st_dev;
            m_pipeInode = st.st_ino;
        }
        if (m_pipeFd < 0)
            return;
        char chunk[4096];
        for (;;) {
            const ssize_t n = read(m_pipeFd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            m_pipeBuffer.append(chunk, static_cast<std::size_t>(n));
        }
        while (m_pipeBuffer.size() >= kRecordSize) {
            Take(m_pipeBuffer.substr(0, kRecordSize));
            m_pipeBuffer.erase(0, kRecordSize);
        }
        return;
    }
    ClosePipe();
    Seen now = Look(path);
    if (now == m_seen)
        return;
    m_seen = std::move(now);
    if (m_seen.exists)
        Take(m_seen.content);
}

void Robot::ClosePipe() {
    if (m_pipeFd >= 0)
        close(m_pipeFd);
    m_pipeFd = -1;
    m_pipeBuffer.clear();
}

void Robot::Take(const std::string& content) {
    if (content.empty())
        return; // an empty REMOTE.LOG, or one caught while it is rewritten
    if (content.size() != kRecordSize) {
        PrintLine(stdout,
                  "robot: ignored REMOTE.LOG of " + std::to_string(content.size()) + " bytes");
        return;
    }
    std::array<std::uint8_t, 16> record{};
    std::memcpy(record.data(), content.data(), kRecordSize);
    Carry(record);
}

const CatalogueRow* Robot::Find(int id, bool recognition) const {
    const auto& first = recognition ? m_recognition : m_voices;
    const auto& second = recognition ? m_voices : m_recognition;
    if (auto it = first.find(id); it != first.end())
        return &it->second;
    if (auto it = second.find(id); it != second.end())
        return &it->second;
    return nullptr;
}

void Robot::Carry(const std::array<std::uint8_t, 16>& record) {
    const std::int16_t code = Word(record, 2);
    const bool recognition = Word(record, 0) == -2;
    const CatalogueRow* row =
        code == kCodeProgram || code == kCodeWav ? nullptr : Find(code, recognition);
    std::optional<std::string> tm4;
    if (code == kCodeProgram)
        tm4 = ReadBytes(platform::ResolvePath(m_root + "/ADDON/TEMP.TM4"), 16 * 1024 * 1024);
    PrintLine(stdout, DescribeRecord(record, row, tm4 ? &*tm4 : nullptr));
    if (m_audio)
        Sound(record, row, recognition);
}

void Robot::Sound(const std::array<std::uint8_t, 16>& record, const CatalogueRow* row,
                  bool recognition) {
    const std::int16_t code = Word(record, 2);
    std::string path;
    if (code == kCodeWav) {
        path = platform::ResolvePath(m_root + "/ADDON/TEMP.wav");
    } else if (row && code != kCodeProgram) {
        std::string file = row->file;
        std::replace(file.begin(), file.end(), '\\', '/');
        if (recognition) {
            path = platform::ResolvePath(m_options.voiceFolder + "/Ninshiki/" + file);
            if (!platform::PathExists(path))
                path = platform::ResolvePath(m_options.voiceFolder + "/NF/" + file);
        } else {
            path = platform::ResolvePath(m_options.voiceFolder + "/" + file);
        }
    }
    if (path.empty())
        return;
    // The volume word: 0 loudest, 4 quietest; 5 (drive route) and -1
    // (FlashAir) mean silence. A recognition word's record carries none.
    const std::int16_t volume = recognition && code != kCodeWav ? 0 : Word(record, 8);
    if (volume < 0 || volume > 4)
        return;
    m_audio->SetMasterGain(-600 * volume);
    if (!m_audio->Play(path))
        PrintLinef(stderr, "voxlet-card: cannot play %s", path.c_str());
}

} // namespace card
