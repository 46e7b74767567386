// The drive route of the robot link: the robot's card reached as a
// folder. Commands go into ADDON/REMOTE.LOG, programs and clips are copied to
// ADDON/TEMP.TM4 and ADDON/TEMP.wav.
//
// On POSIX, m_link.remoteDir is a folder path ending with the native separator
// ("/media/me/CARD/"); a path that starts with a drive letter ("E:\ADDON\...")
// is mapped through the [DRIVES] section of the settings file, and an
// unmapped letter cannot be written.
#include <cstdio>
#include <optional>
#include <string>

#include "core/voice_player.h"
#include "link/card_files.h"
#include "link/remote_command.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "resources/labels.h"
#include "resources/string_table.h"

namespace {

constexpr std::string_view kVoicePlayerProgram = "音声再生.TM4";

// A file of the card whose folder path (m_link.remoteDir) is given.
std::string CardFile(const std::string& remoteDir, std::string_view name) {
    return CardPath(remoteDir, platform::kPathSeparator, name);
}

// The record of the card a play list names by its drive letter ("E:\ADDON\REMOTE.LOG").
std::string NamedCardRecord(char letter) {
    return CardPath(std::string{letter, ':', '\\'}, '\\', kRecordFile);
}

// The path as this platform opens it: a drive letter mapped through [DRIVES]
// (nullopt when unmapped), then the case-insensitive lookup.
std::optional<std::string> OnDisk(std::string_view path, const std::string& iniPath) {
    auto mapped = platform::ResolveDriveLetter(path, iniPath);
    if (!mapped)
        return std::nullopt;
    return platform::ResolvePath(*mapped);
}

bool CardFileExists(std::string_view path, const std::string& iniPath) {
    const auto disk = OnDisk(path, iniPath);
    return disk && platform::PathExists(*disk);
}

// The parent rule: cut the chosen path before its last separator (the folder
// that holds the file), then keep what remains up to and including its last
// separator; no separator at either step gives "". The result uses the
// native separator.
std::string ParentRule(std::string_view chosen) {
    const std::string folder = platform::CutAtLastSeparator(chosen);
    for (std::size_t i = folder.size(); i > 0; --i) {
        if (platform::IsPathSeparator(folder[i - 1]))
            return platform::ToNativePath(std::string_view(folder).substr(0, i));
    }
    return {};
}

platform::FileDialogSpec Chooser(std::string initialName) {
    platform::FileDialogSpec spec;
    spec.defaultExt = "LOG";
    spec.initialName = std::move(initialName);
    spec.filter = filters::kRemoteLog;
    spec.hideReadOnly = true;
    spec.overwritePrompt = false;
    spec.title = LoadStringId(ids::IDS_REMOTE_LOG_TITLE);
    return spec;
}

// Writes a record whole or not at all, so that a failed write leaves the
// card's previous record (a FIFO, which a stand-in for the robot may read, is
// written directly; on a full card it is overwritten in place); false unless
// every byte reached the file.
bool WriteRecord(std::string_view path, const std::string& iniPath,
                 const std::array<std::uint8_t, REMOTE_COMMAND_SIZE>& bytes) {
    const auto disk = OnDisk(path, iniPath);
    return disk &&
           platform::WriteWholeFile(
               *disk, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
               platform::FileKind::Record) == 0;
}

// Where the second card's record goes: a path that starts with a drive letter
// gets the letter in place of its first character (E:\Card\ADDON\REMOTE.LOG
// becomes F:\Card\ADDON\REMOTE.LOG); any other path, a plain folder, gives
// ADDON\REMOTE.LOG at the root of the letter. Both are mapped through
// [DRIVES] when written.
std::string SecondCardPath(const std::string& path, char letter) {
    if (platform::HasDriveLetter(path))
        return letter + path.substr(1);
    return CardFile(std::string{letter, ':', platform::kPathSeparator}, kRecordFile);
}

// CopyFile with replacing: the source (a data path) to the destination. An
// empty source gives an empty file, as the system's file copy does (the
// FlashAir route, which uploads a buffer read from the file, refuses an empty
// file with message 122 instead).
bool CopyToCard(const std::string& source, const std::string& destination,
                const std::string& iniPath) {
    const auto target = OnDisk(destination, iniPath);
    if (!target)
        return false;
    std::FILE* in = platform::OpenDataFile(source);
    if (!in)
        return false;
    // A copy that fails leaves no partial file on the card; the old copy's
    // space is reused when the card is too full for both.
    platform::WholeFileWriter out;
    int error = out.Open(*target, false, platform::FileKind::Scratch);
    char chunk[65536];
    std::size_t n = 0;
    while (error == 0 && (n = std::fread(chunk, 1, sizeof chunk, in)) > 0)
        error = out.Write(std::string_view(chunk, n));
    const bool readFailed = std::ferror(in) != 0;
    std::fclose(in);
    return error == 0 && !readFailed && out.Commit() == 0;
}

// L of a clip from the first 32 bytes of its file; 3 when it cannot be read.
std::int16_t ClipSeconds(const std::string& source) {
    std::FILE* in = platform::OpenDataFile(source);
    if (!in)
        return REMOTE_DEFAULT_WAV_SECONDS;
    std::uint8_t header[32] = {};
    const std::size_t n = std::fread(header, 1, sizeof header, in);
    std::fclose(in);
    return WavLengthSeconds(header, n);
}

} // namespace

bool CVoicePlayer::SendCardCommand(const RouteSend& send) {
    std::string path = CardFile(m_link.remoteDir, kRecordFile);

    if (!send.card && (m_link.remoteDir.empty() || !CardFileExists(path, m_settings.iniPath))) {
        const auto chosen = m_services.prompts->FileOpen(Chooser(std::string(kRecordFile)));
        if (!chosen)
            return false;
        if (!CardFileExists(*chosen, m_settings.iniPath)) {
            ShowOkMessage(*m_services.prompts, ids::IDS_REMOTE_LOG_MISSING,
                          platform::MsgIcon::None);
            return false;
        }
        m_link.remoteDir = ParentRule(*chosen);
        path = CardFile(m_link.remoteDir, kRecordFile);
    }

    // The voice-playback program is looked for on the main card, also when
    // the record goes to a card a play list names.
    if (m_view.mode == MODE_VOICE && m_settings.model == 1 &&
        !CardFileExists(CardFile(m_link.remoteDir, kVoicePlayerProgram), m_settings.iniPath)) {
        ShowOkMessage(*m_services.prompts, ids::IDS_PLAYER_PROGRAM_MISSING,
                      platform::MsgIcon::None);
        return false;
    }

    const RemoteCommand command = BuildRemoteCommand(
        RemoteRoute::Card, m_view.mode, m_link.remoteInterval, send.code, send.length, send.volume);
    const auto bytes = command.Bytes();

    if (send.card)
        path = NamedCardRecord(*send.card);
    if (!WriteRecord(path, m_settings.iniPath, bytes)) {
        ShowOkMessage(*m_services.prompts, ids::IDS_REMOTE_WRITE_FAILED, platform::MsgIcon::None);
        return false;
    }

    // The second card; any failure is silent.
    if (m_link.altDrive != 0)
        (void)WriteRecord(SecondCardPath(path, m_link.altDrive), m_settings.iniPath, bytes);

    if (!send.card)
        WriteSetting("REMOTE", "REMOTE_DIR", m_link.remoteDir);
    return true;
}

bool CVoicePlayer::SendCardFile(const RouteSend& send) {
    if (m_link.remoteDir.empty() ||
        !CardFileExists(CardFile(m_link.remoteDir, kRecordFile), m_settings.iniPath)) {
        const auto chosen = m_services.prompts->FileOpen(
            Chooser(CardPath("", platform::kPathSeparator, kRecordFile)));
        if (!chosen)
            return false;
        // The folder that holds the chosen ADDON folder, not the mount root:
        // a folder that stands in for the card must get the files inside it.
        // The card is tested by SendCardCommand below.
        m_link.remoteDir = ParentRule(*chosen);
    }

    if (IsProgramFile(send.file)) {
        if (!CopyToCard(send.file, CardFile(m_link.remoteDir, kProgramFile), m_settings.iniPath)) {
            ShowOkMessage(*m_services.prompts, ids::IDS_PROGRAM_COPY_FAILED,
                          platform::MsgIcon::None);
            return false;
        }
        return SendCardCommand(RouteSend::Record(REMOTE_CODE_PROGRAM, 0, 0));
    }

    if (!CopyToCard(send.file, CardFile(m_link.remoteDir, kClipFile), m_settings.iniPath)) {
        ShowOkMessage(*m_services.prompts, ids::IDS_CLIP_COPY_FAILED, platform::MsgIcon::None);
        return false;
    }
    return SendCardCommand(RouteSend::Record(REMOTE_CODE_WAV, ClipSeconds(send.file), send.volume));
}

void CVoicePlayer::SelectRemoteFile() {
    const auto chosen =
        m_services.prompts->FileOpen(Chooser(CardFile(m_link.remoteDir, kRecordFile)));
    if (!chosen)
        return;
    m_link.remoteDir = ParentRule(*chosen);
    WriteSetting("REMOTE", "REMOTE_DIR", m_link.remoteDir);
}
