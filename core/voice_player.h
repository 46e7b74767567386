// CVoicePlayer: the one object that holds everything the program knows between
// two user actions: the settings, the loaded catalogue, the current mode and
// category, the state of continuous play and the table of robot targets.
// Operations that touch controls take the main dialog as a DialogHost.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/main_dialog.h"
#include "core/voice_entry.h"
#include "platform/text.h"

namespace platform {
class DialogHost;
}

// Output routes ([REMOTE] CONNECT_TYPE, the interface combo's item index).
constexpr int CONNECT_SOUND = 0;
constexpr int CONNECT_USB = 1;
constexpr int CONNECT_FLASHAIR = 2;

// Modes of the clip list.
constexpr int MODE_NINSHIKI = 0;
constexpr int MODE_VOICE = 1;

// Bits of [DATA] VERSION, the installed voice sets (each selects catalogue
// rows, and some enable category radios), named by the settings dialog's
// check boxes. VOICE_SET_MODEL2 has no box: it stands for model 2, so that a
// change of model changes VERSION too.
constexpr unsigned VOICE_SET_TIKO = 0x01; // always in the catalogue mask
constexpr unsigned VOICE_SET_TIKO_CART = 0x02;
constexpr unsigned VOICE_SET_SORA2 = 0x04;
constexpr unsigned VOICE_SET_SORA2_DX = 0x08;
constexpr unsigned VOICE_SET_TIKO_WALK = 0x10;
constexpr unsigned VOICE_SET_MODEL2 = 0x20;

// What the sequencer runs besides a play list: nothing, list play (button 4)
// or random play (button 5).
enum class SequenceKind { None = 0, List = 1, Random = 2 };

// FlashAir cards that [REMOTE] FLASHAIR may list; names beyond are dropped.
constexpr int MAX_TARGETS = 128;

// The settings file's name beside the executable.
inline constexpr std::string_view SETTINGS_FILE_NAME = "Voxlet.ini";

class CVoicePlayer {
public:
    CVoicePlayer();
    ~CVoicePlayer();
    CVoicePlayer(const CVoicePlayer&) = delete;
    CVoicePlayer& operator=(const CVoicePlayer&) = delete;

    // Settings (construction)
    void LoadRemoteSettings();
    void LoadListDefaults(int mode);

    // Catalogues
    bool LoadVoiceCsv(int mode);
    void FreeVoices();

    // Modes, categories and the clip list
    bool ChangeMode(int mode, platform::DialogHost& dlg);
    void ChangeCategory(platform::DialogHost& dlg, int c);
    void ShowFirstCategory(platform::DialogHost& dlg);

    // Start-up and shut-down
    void InitPlayer(platform::DialogHost& dlg);
    void SaveSettings(platform::DialogHost& dlg);
    bool SelectVoiceFolder();
    // The user chooses the data folder (one that holds Ninshiki.csv): it
    // becomes the current folder and [DATA] DATA_FOLDER. The caller loads
    // its catalogues. False when cancelled or refused.
    bool SelectDataFolder();

    // Play commands and the sequencer
    void PlaySelected(platform::DialogHost& dlg);
    void StartSequence(platform::DialogHost& dlg, SequenceKind kind);
    void StopSequence(platform::DialogHost& dlg);
    bool OpenPlayList(std::string_view name);
    void OnSequenceTick(platform::DialogHost& dlg);

    // Robot link: FlashAir cards
    void SendFlashAirCommand(std::int16_t volume, std::int16_t code, std::int16_t length);
    bool SendFlashAirFile(const std::string& path, platform::DialogHost& dlg);
    // Robot link: the card reached as a drive or folder. overridePath, when
    // given, is the REMOTE.LOG to write ("E:\ADDON\REMOTE.LOG" from a play list).
    bool SendCardCommand(const std::optional<std::string>& overridePath, std::int16_t code,
                         std::int16_t length, std::int16_t volume);
    bool SendCardFile(const std::string& path, platform::DialogHost& dlg);
    void SelectRemoteFile();

    // Helpers shared by the operations
    // First entry whose text equals the given text; nullptr when none.
    const VoiceEntry* FindEntryByText(std::string_view text) const;
    // First entry with the sound id; nullptr when none.
    const VoiceEntry* FindEntryBySoundId(std::int16_t id) const;
    // "NF" for model 2, "Ninshiki" otherwise.
    std::string_view RecognitionFolderName() const;
    // The PC path of a row's clip in the current mode.
    std::string ClipPath(const VoiceEntry& entry) const;
    // The program category's folder ([REMOTE] PROGRAM_FOLDER, read anew) with a
    // trailing native separator, for listing it and for the files sent from it.
    // An empty value (a file chosen in the file-system root) is the root.
    std::string ProgramFolder() const;
    // Reads a settings string of at most 259 bytes from the settings file; a
    // value whose write failed this session is read as written.
    std::string ReadSetting(std::string_view section, std::string_view key,
                            std::string_view def) const;
    int ReadSettingInt(std::string_view section, std::string_view key, int def) const;
    // Stores a settings value. A write that fails leaves the file as it was,
    // keeps the value for this session (ReadSetting gives it back) and tells the
    // user once per session and settings file, with the reason; the caller goes
    // on as after a write that succeeded. Returns whether the file took it.
    bool WriteSetting(std::string_view section, std::string_view key, std::string_view value);

    bool m_bUraVoice = false;
    bool m_bVolumeChanged = true;
    std::string m_strIniPath;
    int m_nMode = MODE_NINSHIKI;
    int m_nConnectType = CONNECT_SOUND;
    int m_nVoiceCount = 0;
    std::vector<VoiceEntry> m_pVoices; // grows as needed; m_nVoiceCount == size
    std::string m_strVoiceFolder;
    int m_nVolumeMin = -1500;
    int m_nVolumeMax = 1000;
    int m_nIntervalMergin = 1000;
    int m_nDefaultInterval = 0;
    unsigned m_nVersion = 1;
    int m_nTikoModel = 1;
    std::string m_strRemoteDir;
    int m_nRemoteMergin = 1000;
    int m_nRemoteInterval = 1000;
    std::vector<std::string> m_apszTargets; // at most MAX_TARGETS names
    int m_nTargetCount = 0;
    int m_nTargetSel = -1;
    std::optional<std::vector<std::int16_t>> m_pnTargetTimes;
    char m_chAltDrive = 0;
    std::array<int, CATEGORY_COUNT> m_anListDefault{};
    SequenceKind m_nListPlay = SequenceKind::None;
    int m_nListPos = 0;
    std::unique_ptr<platform::TextRowReader> m_pPlayList;
    int m_nCategory = -1;
    bool m_bVersionChanged = false;
    bool m_bNinshikiVoice = false;

    // The random generator of random play (0..32767), seeded at construction.
    int NextRandom();

private:
    void ListEntries(platform::DialogHost& dlg, int c);
    // The margin added to a clip's length on the current route.
    int RouteMargin() const;
    // 100 minus the volume trackbar's position.
    int VolumePercent(const platform::DialogHost& dlg) const;
    // Edit 1026 shows the clip's sound id, or its file name.
    void ShowClip(platform::DialogHost& dlg, const VoiceEntry& entry, bool showId);
    // A random row that list and random play may take; nullptr when none can.
    const VoiceEntry* DrawRandomEntry();
    // Sends a program or clip file chosen in the program category.
    void SendProgramFile(platform::DialogHost& dlg, int selection);
    // One sequencer tick in steps: take what the running sequence plays next,
    // send it down the route, and the timer period that follows it.
    struct SequenceStep;
    enum class StepTaken;
    StepTaken TakeStep(platform::DialogHost& dlg, SequenceStep& step);
    StepTaken TakePlayListLine(platform::DialogHost& dlg, SequenceStep& step);
    StepTaken TakeListEntry(platform::DialogHost& dlg, SequenceStep& step);
    // False when the send failed and the sequence stopped.
    bool SendStepClip(platform::DialogHost& dlg, const SequenceStep& step);
    std::int64_t StepPeriod(const SequenceStep& step) const;
    std::uint32_t m_nRandomState = 0;
    // Values whose write failed, by section and key, in force for this session.
    std::map<std::pair<std::string, std::string>, std::string> m_unsavedSettings;
    // Settings files whose write failure the user has been told of.
    std::set<std::string> m_settingsFailureShown;
};
