// voxlet-demo: writes the bundled demo voice set from the UTF-8 sources in
// resources/demo/.
//
//   voxlet-demo --resources DIR --out DIR --voxlet-script PROGRAM
//               [--tones] [--espeak PROGRAM]
//
// Into OUT it writes the four catalogues (Ninshiki.csv, voice.csv,
// voice2.csv, ura_voice.csv: CP932, CR LF, a header line), the clips below
// voice/ (the recognition words in both voice/Ninshiki and voice/NF), the play
// lists below voice/play_list, the program folder programs/ (greetings.TM4,
// exported from the play list "greetings" by voxlet-script through the
// program's own export, and fanfare.wav), a card folder template card/ADDON
// (an empty REMOTE.LOG and the voice-playback program 音声再生.TM4, exported
// the same way) and Voxlet-demo.ini, settings that preselect the first line of
// every list and name the program folder.
//
// Clips are spoken by espeak-ng's Japanese voice; without espeak-ng (or with
// --tones, or VOXLET_DEMO_TONES=1 in the environment) every clip is a tone
// sequence instead. Each row's length column is the length of the clip just
// written, rounded to whole seconds. The output depends only on the sources
// and the speech engine, so it is the same on every run.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/demo/clip_synth.h"
#include "tools/demo/demo_source.h"

namespace fs = std::filesystem;

namespace {

struct Options {
    std::string resources;
    std::string out;
    std::string voxletScript;
    std::string espeak = "espeak-ng";
    bool tones = false;
};

struct Catalogue {
    const char* name; // the catalogue file and its source's base name
    bool recognition; // clips go to voice/Ninshiki and voice/NF
};

const Catalogue kCatalogues[] = {
    {"Ninshiki", true}, {"voice", false}, {"voice2", false}, {"ura_voice", false}};

void Usage(std::FILE* out) {
    std::fprintf(out, "usage: voxlet-demo --resources DIR --out DIR --voxlet-script PROGRAM "
                      "[--tones] [--espeak PROGRAM]\n");
}

bool WriteBytes(const fs::path& path, const std::string& bytes) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "voxlet-demo: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A clip made once per spoken text: rows of different catalogues that say the
// same thing share the sound.
struct Clip {
    std::string bytes;
    int seconds = 0;
};

class Generator {
public:
    explicit Generator(Options options) : m_options(std::move(options)) {}

    int Run() {
        std::error_code ec;
        fs::create_directories(m_options.out, ec);
        m_out = fs::canonical(m_options.out, ec);
        if (ec) {
            std::fprintf(stderr, "voxlet-demo: cannot make %s\n", m_options.out.c_str());
            return 1;
        }
        m_resources = m_options.resources;
        // What an earlier run wrote goes first; nothing else in OUT is touched.
        for (const char* owned : {"Ninshiki.csv", "voice.csv", "voice2.csv", "ura_voice.csv",
                                  "Voxlet-demo.ini", "voice", "programs", "card"})
            fs::remove_all(m_out / owned, ec);

        if (!m_options.tones) {
            m_espeak = demo::FindProgram(m_options.espeak);
            if (m_espeak.empty())
                std::fprintf(stderr, "voxlet-demo: %s not found; the clips are tone sequences\n",
                             m_options.espeak.c_str());
        }

        int rows = 0;
        for (const Catalogue& catalogue : kCatalogues) {
            const int written = WriteCatalogue(catalogue);
            if (written < 0)
                return 1;
            rows += written;
        }
        if (!WritePlayLists() || !WriteProgramFolder() || !WriteSettings() || !Export())
            return 1;
        std::printf("voxlet-demo: %d rows, %zu clips %s, in %s\n", rows, m_clips.size(),
                    m_espeak.empty() ? "as tone sequences" : "spoken by espeak-ng", m_out.c_str());
        return 0;
    }

private:
    // Writes the clips of a catalogue and then the catalogue; the number of
    // rows, or -1 on failure.
    int WriteCatalogue(const Catalogue& catalogue) {
        demo::CatalogueSource source;
        std::string error;
        const fs::path sourcePath = m_resources / (std::string(catalogue.name) + ".txt");
        if (!demo::ReadCatalogueSource(sourcePath.string(), source, error)) {
            std::fprintf(stderr, "voxlet-demo: %s\n", error.c_str());
            return -1;
        }
        std::string text = source.header + "\n";
        for (const demo::SourceRow& row : source.rows) {
            const Clip* clip = MakeClip(row);
            if (!clip)
                return -1;
            std::string relative = row.file;
            std::replace(relative.begin(), relative.end(), '\\', '/');
            std::vector<fs::path> targets;
            if (catalogue.recognition) {
                targets.push_back(m_out / "voice" / "Ninshiki" / relative);
                targets.push_back(m_out / "voice" / "NF" / relative);
            } else {
                targets.push_back(m_out / "voice" / relative);
            }
            for (const fs::path& target : targets) {
                if (!WriteBytes(target, clip->bytes))
                    return -1;
            }
            text += row.set + "," + row.label + "," + row.reading + "," + row.file + "," +
                    std::to_string(row.id) + "," + std::to_string(clip->seconds) + "," +
                    std::to_string(row.category);
            if (row.hasFlags)
                text += "," + demo::FlagColumns(row.flags);
            text += "\n";
        }
        std::string bytes;
        if (!demo::ToCp932Lines(text, bytes, error)) {
            std::fprintf(stderr, "voxlet-demo: %s.csv: %s\n", catalogue.name, error.c_str());
            return -1;
        }
        if (!WriteBytes(m_out / (std::string(catalogue.name) + ".csv"), bytes))
            return -1;
        return static_cast<int>(source.rows.size());
    }

    const Clip* MakeClip(const demo::SourceRow& row) {
        const auto found = m_clips.find(row.reading);
        if (found != m_clips.end())
            return &found->second;
        demo::Pcm pcm;
        if (m_espeak.empty()) {
            unsigned seed = 0;
            for (const char c : row.reading)
                seed = seed * 31u + static_cast<unsigned char>(c);
            pcm = demo::ToneSequence(demo::NominalSeconds(row.reading), seed);
        } else {
            std::string error;
            if (!demo::Speak(m_espeak, row.reading, (m_out / ".speech.wav").string(), pcm, error)) {
                std::fprintf(stderr, "voxlet-demo: %s\n", error.c_str());
                return nullptr;
            }
            demo::FinishClip(pcm);
        }
        Clip clip;
        clip.bytes = demo::WavBytes(pcm);
        clip.seconds =
            demo::RoundedSeconds(pcm.samples.size() * 2, static_cast<std::uint32_t>(pcm.rate) * 2);
        return &m_clips.emplace(row.reading, std::move(clip)).first->second;
    }

    bool WritePlayLists() {
        std::vector<fs::path> sources;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(m_resources / "play_list", ec))
            if (entry.is_regular_file() && entry.path().extension() == ".txt")
                sources.push_back(entry.path());
        std::sort(sources.begin(), sources.end());
        for (const fs::path& source : sources) {
            std::string bytes;
            std::string error;
            if (!demo::ToCp932Lines(ReadText(source), bytes, error)) {
                std::fprintf(stderr, "voxlet-demo: %s: %s\n", source.c_str(), error.c_str());
                return false;
            }
            if (!WriteBytes(m_out / "voice" / "play_list" / source.filename(), bytes))
                return false;
            m_playLists.push_back(source.stem().string());
        }
        // The order in which the program lists them (by name, ignoring case).
        std::sort(m_playLists.begin(), m_playLists.end(), [](std::string a, std::string b) {
            for (auto* s : {&a, &b})
                for (char& c : *s)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return a < b;
        });
        return true;
    }

    bool WriteProgramFolder() {
        return WriteBytes(m_out / "programs" / "fanfare.wav", demo::WavBytes(demo::Fanfare())) &&
               WriteBytes(m_out / "card" / "ADDON" / "REMOTE.LOG", "");
    }

    bool WriteSettings() {
        std::string zeros;
        for (int i = 0; i < 23; ++i)
            zeros += i ? ",0" : "0";
        // CR LF, as the lines the program adds and Windows editors have them.
        const std::string ini = "[LIST]\r\nNINSHIKI1_DEFAULT=" + zeros +
                                "\r\nNINSHIKI2_DEFAULT=" + zeros + "\r\nVOICE_DEFAULT=" + zeros +
                                "\r\nVOICE2_DEFAULT=" + zeros +
                                "\r\n[REMOTE]\r\nPROGRAM_FOLDER=programs\r\n";
        return WriteBytes(m_out / "Voxlet-demo.ini", ini);
    }

    // The program files, written by the program's own export: voxlet-script
    // runs the main dialog in OUT and presses "プログラム出力".
    bool Export() {
        const auto at = std::find(m_playLists.begin(), m_playLists.end(), "greetings");
        if (at == m_playLists.end()) {
            std::fprintf(stderr, "voxlet-demo: no play list \"greetings\" to export\n");
            return false;
        }
        const fs::path script = m_out / ".export-script";
        const fs::path ini = m_out / ".export.ini";
        const fs::path log = m_out / ".export.log";
        const fs::path program = m_out / "programs" / "greetings.TM4";
        const fs::path player = m_out / "card" / "ADDON" / "音声再生.TM4";
        const std::string lines = "click 1028\nclick 1022\nselect " +
                                  std::to_string(at - m_playLists.begin()) + "\nchoose " +
                                  program.string() + "\nclick 7\nclick 1001\nselect 0\nchoose " +
                                  player.string() + "\nclick 7\n";
        if (!WriteBytes(script, lines) || !WriteBytes(ini, ""))
            return false;
        const int status =
            demo::RunProgram({m_options.voxletScript, "--ini", ini.string(), script.string()},
                             m_out.string(), log.string());
        const std::string transcript = ReadText(log);
        std::size_t successes = 0;
        for (std::size_t pos = 0; (pos = transcript.find("message 113", pos)) != std::string::npos;
             ++pos)
            ++successes;
        std::error_code ec;
        const bool ok = status == 0 && successes == 2 && fs::is_regular_file(program, ec) &&
                        fs::is_regular_file(player, ec);
        if (!ok)
            std::fprintf(stderr,
                         "voxlet-demo: the program export through %s failed (status %d):\n%s",
                         m_options.voxletScript.c_str(), status, transcript.c_str());
        for (const fs::path& temporary : {script, ini, log})
            fs::remove(temporary, ec);
        return ok;
    }

    Options m_options;
    fs::path m_out;
    fs::path m_resources;
    std::string m_espeak; // "" = tone sequences
    std::map<std::string, Clip> m_clips;
    std::vector<std::string> m_playLists;
};

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        } else if (arg == "--resources" && hasValue) {
            options.resources = argv[++i];
        } else if (arg == "--out" && hasValue) {
            options.out = argv[++i];
        } else if (arg == "--voxlet-script" && hasValue) {
            options.voxletScript = argv[++i];
        } else if (arg == "--espeak" && hasValue) {
            options.espeak = argv[++i];
        } else if (arg == "--tones") {
            options.tones = true;
        } else {
            std::fprintf(stderr, "voxlet-demo: unknown or incomplete option %s\n", arg.c_str());
            Usage(stderr);
            return 2;
        }
    }
    if (options.resources.empty() || options.out.empty() || options.voxletScript.empty()) {
        Usage(stderr);
        return 2;
    }
    if (const char* tones = std::getenv("VOXLET_DEMO_TONES"); tones && *tones && *tones != '0')
        options.tones = true;
    return Generator(std::move(options)).Run();
}
