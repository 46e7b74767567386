#include "export/program_writer.h"

#include <limits>

#include "core/catalogue.h"
#include "core/numbers.h"
#include "core/voice_player.h"
#include "platform/files.h"
#include "platform/prompts.h"
#include "platform/text.h"
#include "resources/string_table.h"

namespace {

constexpr std::string_view kEol = "\r\n";
constexpr int kDefaultLipStep = 1000;

// 32-bit signed arithmetic as the robot's tools were written with: a product
// that leaves the range wraps instead of being undefined.
int Wrap32(std::int64_t value) {
    return static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

// Appends one line of a fragment: an optional tab, the text, CR LF.
void Line(std::string& out, std::string_view text, bool tab = false) {
    if (tab)
        out += '\t';
    out += text;
    out += kEol;
}

// The program file, written whole or not at all: an export that fails leaves
// the previous file as it was (an append copies its bytes first). After the
// first failure nothing more is written and Failed() stays true.
class ProgramFile {
public:
    bool Open(const std::string& path, bool append) { return m_file.Open(path, append) == 0; }
    void Put(std::string_view bytes) { (void)m_file.Write(bytes); }
    bool Failed() const { return m_file.Error() != 0; }
    // Puts the file in place; false when any write or the close failed.
    bool Close() { return m_file.Commit() == 0; }
    // A write in place failed part way: the old bytes were put back.
    bool Damaged() const { return m_file.Damaged(); }

private:
    platform::WholeFileWriter m_file;
};

// Steps 2 to 5 of a clip sequence: PLAY_CLIP, LIP_HEAD, COPY and the groups.
void PutClipBody(ProgramFile& file, std::string_view path, int lengthMs, int remoteInterval) {
    using namespace program_format;
    file.Put(PlayClip(path));
    file.Put(LipHead(LipStep(remoteInterval) / 40));
    const std::string copy = Copy();
    file.Put(copy);
    const int groups = MouthGroups(lengthMs, remoteInterval);
    if (groups <= 0)
        return;
    const std::string group = Mouth50() + copy + Mouth0() + copy;
    for (int i = 0; i < groups && !file.Failed(); ++i)
        file.Put(group);
}

void PutPause(ProgramFile& file, int pauseMs) {
    if (pauseMs > 0)
        file.Put(program_format::Pause(pauseMs / 20));
}

void ShowWriteFailed(platform::Prompts& prompts, bool damaged = false) {
    ShowOkMessage(prompts, ids::IDS_PROGRAM_WRITE_FAILED, platform::MsgIcon::None);
    if (damaged)
        ShowOkMessage(prompts, ids::IDS_FILE_MAY_BE_DAMAGED, platform::MsgIcon::None);
}

void ShowWritten(platform::Prompts& prompts) {
    ShowOkMessage(prompts, ids::IDS_PROGRAM_WRITTEN, platform::MsgIcon::Info);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The first catalogue entry with the sound id; the id is compared as an int,
// so a number beyond the 16-bit range matches no entry.
const VoiceEntry* FindBySoundId(const CVoicePlayer& player, int id) {
    if (id < std::numeric_limits<std::int16_t>::min() ||
        id > std::numeric_limits<std::int16_t>::max())
        return nullptr;
    return player.FindEntryBySoundId(static_cast<std::int16_t>(id));
}

} // namespace

namespace program_format {

std::string Header() {
    std::string out;
    Line(out, "<medit>");
    Line(out, "<format data=\"2\"/>", true);
    Line(out, "</medit>");
    Line(out, "");
    Line(out, "<medit>");
    Line(out, R"(<block name="" type="3" xpos="75" ypos="3" bluearrow="6" redarrow="0"/>)", true);
    Line(out, "</medit>");
    return out;
}

std::string SoundBlock(int id) {
    std::string out;
    Line(out, "");
    Line(out, "<medit>");
    Line(out,
         "<block name=\"SOUND ID " + std::to_string(id) +
             R"(" type="6" xpos="184" ypos="101" bluearrow="6" redarrow="6"/>)",
         true);
    Line(out, "</medit>");
    return out;
}

std::string PlayClip(std::string_view path) {
    std::string out;
    Line(out, R"(<mem_w size="2" adr="0x0b00">0x0064</mem_w>)");
    Line(out, R"(<wait size="1" adr="0x0b43"/>)");
    Line(out, "<play filename=\"voice\\" + std::string(path) + "\"/>");
    return out;
}

std::string LipHead(int step) {
    std::string out;
    Line(out, "<medit>");
    Line(out,
         "<block name=\"" + std::string(kLipBlockName) +
             R"(" type="0" xpos="706" ypos="462" bluearrow="6" redarrow="6"/>)",
         true);
    Line(out, "</medit>");
    Line(out, "<calc>");
    Line(out, "<const data=\"" + std::to_string(step) + "\"/>", true);
    Line(out, R"(<mem_w size="2" adr="0x0f06"/>)", true);
    Line(out, "</calc>");
    return out;
}

std::string Copy() {
    std::string out;
    Line(out, "<calc>");
    Line(out, R"(<mem_r size="2" adr="0x0f06"/>)", true);
    Line(out, R"(<mem_w size="2" adr="0x0b00"/>)", true);
    Line(out, "</calc>");
    return out;
}

namespace {
std::string Mouth(std::string_view value) {
    std::string out;
    Line(out, "<calc>");
    Line(out, "<const data=\"" + std::string(value) + "\"/>", true);
    Line(out, R"(<mem_w size="2" adr="0x0a8c"/>)", true);
    Line(out, "</calc>");
    Line(out, R"(<wait size="1" adr="0x0b43"/>)");
    return out;
}
} // namespace

std::string Mouth50() {
    return Mouth("50");
}

std::string Mouth0() {
    return Mouth("0");
}

std::string Pause(int ticks) {
    std::string out;
    Line(out, "<medit>");
    Line(out, R"(<block name="" type="10" xpos="11" ypos="82" bluearrow="6" redarrow="6"/>)");
    Line(out, "</medit>");
    Line(out, "<wait data=\"" + std::to_string(ticks) + "\"/>");
    Line(out, "");
    return out;
}

std::string Trailer() {
    std::string out;
    Line(out, R"(<wait size="1" adr="0x0b43"/>)");
    return out;
}

int LipStep(int remoteInterval) {
    return remoteInterval > 0 ? remoteInterval : kDefaultLipStep;
}

int MouthGroups(int lengthMs, int remoteInterval) {
    const int groups = lengthMs / LipStep(remoteInterval);
    return groups > 0 ? groups : 0;
}

} // namespace program_format

ExportPlayListLine ParseExportPlayListLine(std::string_view row) {
    ExportPlayListLine line;
    std::size_t pos = 0;
    if (row.size() >= 3 && IsAsciiLetter(row[0]) && row[1] == ':' && row[2] == ',')
        pos = 3;
    if (pos >= row.size() || !IsDigit(row[pos]))
        return line;
    const std::string_view body = row.substr(pos);
    line.skip = false;
    line.id = AtoiLike(body);
    const std::size_t comma = body.find(',');
    if (comma != std::string_view::npos) {
        line.hasComma = true;
        line.pauseSeconds = AtoiLike(body.substr(comma + 1));
    }
    std::string_view idText = body.substr(0, comma);
    if (!idText.empty() && idText.back() == '\n')
        idText.remove_suffix(1);
    line.idText = std::string(idText);
    return line;
}

// Ends a complete program: TRAILER, a clean close, and the outcome message.
static bool FinishProgram(ProgramFile& file, platform::Prompts& prompts) {
    file.Put(program_format::Trailer());
    if (!file.Close()) {
        ShowWriteFailed(prompts, file.Damaged());
        return false;
    }
    ShowWritten(prompts);
    return true;
}

bool WriteClipProgram(const std::string& programPath, std::string_view clipPath,
                      std::int16_t soundId, int lengthMs, int pauseMs, bool append,
                      const CVoicePlayer& player) {
    platform::Prompts& prompts = *player.GetServices().prompts;
    ProgramFile file;
    if (!file.Open(programPath, append)) {
        ShowWriteFailed(prompts);
        return false;
    }
    if (!append)
        file.Put(program_format::Header());
    file.Put(program_format::SoundBlock(soundId));
    PutClipBody(file, clipPath, lengthMs, player.Link().remoteInterval);
    PutPause(file, pauseMs);
    return FinishProgram(file, prompts);
}

bool WritePlayListProgram(const std::string& programPath, const CVoicePlayer& player,
                          const std::string& playListPath) {
    platform::Prompts& prompts = *player.GetServices().prompts;
    platform::TextRowReader list(playListPath);
    if (!list.IsOpen()) {
        ShowOkMessage(prompts, ids::IDS_PLAYLIST_FAILED, platform::MsgIcon::None);
        return false;
    }
    ProgramFile file;
    if (!file.Open(programPath, false)) {
        list.Close();
        ShowWriteFailed(prompts);
        return false;
    }
    file.Put(program_format::Header());

    while (!file.Failed()) {
        const auto row = list.ReadRow();
        if (!row)
            break;
        const ExportPlayListLine line = ParseExportPlayListLine(*row);
        if (line.skip)
            continue;
        file.Put(program_format::SoundBlock(line.id));
        if (line.id > 0) {
            const VoiceEntry* entry = FindBySoundId(player, line.id);
            if (!entry) {
                list.Close();
                const bool written = file.Close();
                ShowOkMessage(prompts, ids::IDS_PLAYLIST_ID_MISSING, platform::MsgIcon::None,
                              platform::Cp932ToUtf8(line.idText),
                              CatalogueNamedForMode(player.ClipList().mode));
                // The partial file could not even be written as far as it went.
                if (!written)
                    ShowWriteFailed(prompts, file.Damaged());
                return false;
            }
            PutClipBody(file, entry->rawFile, Wrap32(std::int64_t{entry->nSeconds} * 1000),
                        player.Link().remoteInterval);
        }
        const int pauseMs = line.hasComma ? Wrap32(std::int64_t{line.pauseSeconds} * 1000)
                                          : player.Settings().intervalMargin;
        PutPause(file, pauseMs);
    }
    list.Close();
    return FinishProgram(file, prompts);
}
