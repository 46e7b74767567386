// CVoicePlayer: the one object that holds everything the program knows between
// two user actions: the settings, the loaded catalogue, the current mode and
// category, the state of continuous play and the table of robot targets.
// Operations that touch controls take the main dialog as a DialogHost.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/player_state.h"
#include "core/services.h"

namespace platform {
class DialogHost;
}

// The settings file's name beside the executable.
inline constexpr std::string_view SETTINGS_FILE_NAME = "Voxlet.ini";

// When the category radios' enabled states are set (EnableCategoryRadios).
enum class RadioRefresh {
    ModeShown,      // at start and after every mode change: each radio by its rule
    SettingsClosed, // the settings dialog's OK in recognition-word mode
    NewCatalogue    // the model, voice sets or data folder changed, before the reload
};

// One send down the robot route: the record of a clip (its code, length in
// seconds and volume, 0..100), or, when file is set, a program or a clip
// chosen in the program category, put on the card and then started by its
// record (code and length from the file; the volume for a clip only).
// card, when one is chosen, names where it goes: on the FlashAir route '1'..'9'
// the card at that place in the target table (any other name sends nothing),
// on the drive route the drive letter whose ADDON\REMOTE.LOG takes a record.
// Without one, every FlashAir card, or the drive route's own card.
struct RouteSend {
    static RouteSend Record(std::int16_t code, std::int16_t length, std::int16_t volume,
                            std::optional<char> card = std::nullopt) {
        return {code, length, volume, card, {}};
    }
    static RouteSend File(std::string file, std::int16_t volume,
                          std::optional<char> card = std::nullopt) {
        return {0, 0, volume, card, std::move(file)};
    }

    std::int16_t code = 0;
    std::int16_t length = 0;
    std::int16_t volume = 0;
    std::optional<char> card;
    std::string file;
};

// The play-list folder of a voice folder, the file of the play list of a name
// in it, and the names of its play lists (the files' names up to their last
// '.', sorted as the folder listing sorts them).
std::string PlayListFolder(std::string_view voiceFolder);
std::string PlayListPath(std::string_view voiceFolder, std::string_view name);
std::vector<std::string> ListPlayListNames(std::string_view voiceFolder);

class CVoicePlayer {
public:
    // Reads the settings and the first catalogue; services outlives the player.
    explicit CVoicePlayer(const Services& services);
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
    // Loads the mode's catalogue and shows its first category; leaves the
    // hidden catalogue. False (and the list empty) when the catalogue fails.
    bool ChangeMode(int mode, platform::DialogHost& dlg);
    void ChangeCategory(platform::DialogHost& dlg, int c);
    void ShowFirstCategory(platform::DialogHost& dlg);
    // The find box holds text: the list shows the rows (or, while the play
    // lists show, the play-list names) whose texts hold it, folded alike, and
    // no category radio is checked. Empty text returns to the category
    // checked before. Nothing happens before the first category is shown.
    void FindClips(platform::DialogHost& dlg, std::string_view text);
    bool Finding() const { return !m_view.find.empty(); }
    // Enables the category radios that the mode, the model, the voice sets and
    // the route offer, as far as the occasion sets them.
    void EnableCategoryRadios(platform::DialogHost& dlg, RadioRefresh when);

    // Start-up and shut-down
    void InitPlayer(platform::DialogHost& dlg);
    // Ends continuous play, closes PC audio and stores the volume trackbar's
    // position: what the program does as its dialog goes away.
    void SaveSettings(platform::DialogHost& dlg);
    bool SelectVoiceFolder();
    // The user chooses the data folder (one that holds Ninshiki.csv): it
    // becomes the current folder and [DATA] DATA_FOLDER. The caller loads
    // its catalogues. False when cancelled or refused.
    bool SelectDataFolder();

    // Play commands and the sequencer. card: the one FlashAir card that
    // buttons 4 and 5 send the selection to (a play list's first line too).
    void PlaySelected(platform::DialogHost& dlg, std::optional<char> card = std::nullopt);
    void StartSequence(platform::DialogHost& dlg, SequenceKind kind);
    void StopSequence(platform::DialogHost& dlg);
    bool OpenPlayList(std::string_view name);
    // Plays the named play list as Play does one selected in the list; a
    // running sequence stops first.
    void PlayPlayList(platform::DialogHost& dlg, std::string_view name);
    void OnSequenceTick(platform::DialogHost& dlg, std::optional<char> card = std::nullopt);
    // Whether the clip list shows the play lists: the play-list category of
    // Tiko-voice mode, outside the hidden catalogue.
    bool PlayListsShowing() const;
    // While the list shows the play lists: lists them anew (a play list was
    // saved), the find text still applied, the selected name still selected.
    // A running sequence goes on.
    void RefreshPlayLists(platform::DialogHost& dlg);

    // Robot link: the route the settings choose, FlashAir or drive (the PC
    // route sends nothing). False when the send stopped short (the user has
    // been told); on the FlashAir route a record that a card fails to take is
    // told and the other cards go on, so a record send there gives true.
    [[nodiscard]] bool SendToRobot(const RouteSend& send);
    // FlashAir cards; a card that fails is told, the others get it all the same.
    void SendFlashAirCommand(const RouteSend& send);
    // False when the file could not be read or a card did not take it (then
    // no card gets the record).
    [[nodiscard]] bool SendFlashAirFile(const RouteSend& send);
    // The card reached as a drive or folder; a file goes to the route's own card.
    [[nodiscard]] bool SendCardCommand(const RouteSend& send);
    [[nodiscard]] bool SendCardFile(const RouteSend& send);
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
    // Stores a settings value, or removes the key when there is none. A write
    // that fails leaves the file as it was, keeps the value (or its absence)
    // for this session (ReadSetting gives it back) and tells the user once per
    // session and settings file, with the reason; the caller goes on as after
    // a write that succeeded. Returns whether the file took it.
    bool WriteSetting(std::string_view section, std::string_view key,
                      std::optional<std::string_view> value);

    // What the player holds, for reading.
    const Services& GetServices() const { return m_services; }
    const PlayerSettings& Settings() const { return m_settings; }
    const RobotLinkSettings& Link() const { return m_link; }
    const FlashAirTargets& Targets() const { return m_targets; }
    const VoiceCatalogue& Catalogue() const { return m_catalogue; }
    const ClipListView& ClipList() const { return m_view; }

    // The settings dialog's changes: each is kept and written to the settings
    // file at once. SetVoiceSets writes only a change, and tells whether it was one.
    void SetModel(int model);
    bool SetVoiceSets(unsigned voiceSets);
    void SetRoute(int route);
    void SetDefaultInterval(int seconds);
    void SetRecognitionVoice(bool on);
    // [REMOTE] FLASHAIR as stored ("" when missing), and a new one: an empty
    // list removes the key (the factory name then stands for the one card).
    // The target table is read anew at once.
    std::string FlashAirCardList() const;
    void SetFlashAirCards(std::string_view list);

    // Whether the play buttons address single cards: the FlashAir route with
    // more than one card listed. The buttons' labels, button 3's text and
    // button 4's enabling follow it.
    bool SeveralFlashAirCards() const;
    // The route or the card list changed: the play buttons' labels, texts and
    // enabling are set anew for the category shown.
    void LabelRouteButtons(platform::DialogHost& dlg);

    // The volume trackbar moved: the next clip on the PC sets the gain anew.
    void OnVolumeMoved() { m_volumeChanged = true; }
    // Switches to the hidden catalogue in Tiko-voice mode, first category
    // checked, as playing its row (sound id 1000) does. ChangeMode leaves it.
    bool OpenHiddenCatalogue(platform::DialogHost& dlg);

private:
    // The random generator of random play (0..32767), seeded at construction.
    int NextRandom();
    // Until the recognition clips are found: asks for the data folder, the
    // FlashAir route or the voice folder. False when the program closes.
    bool FindRecognitionClips(platform::DialogHost& dlg);
    // The recognition clip whose presence marks a usable voice folder.
    std::string RecognitionClipPath() const;
    // ChangeMode without leaving the hidden catalogue.
    bool LoadMode(int mode, platform::DialogHost& dlg);
    void ListEntries(platform::DialogHost& dlg, int c);
    // Fills the list with category c (a category's list or a found list).
    void FillList(platform::DialogHost& dlg, int c);
    // The found rows of the catalogue, in catalogue order.
    void ListFoundEntries(platform::DialogHost& dlg);
    // Adds the play lists whose names hold the find text.
    void ListPlayLists(platform::DialogHost& dlg);
    // Opens the play list and plays its first line (Play on a play list).
    void StartPlayList(platform::DialogHost& dlg, std::string_view name, std::optional<char> card);
    // Leaves finding and empties the find box (no radio changes).
    void EndFind(platform::DialogHost& dlg);
    // Button 3's text (several cards) or button 4's enabling (otherwise) for category c.
    void ShowPlayButtons(platform::DialogHost& dlg, int c);
    std::string ReadSettingSized(std::string_view section, std::string_view key,
                                 std::string_view def, std::size_t buffer) const;
    // The margin added to a clip's length on the current route.
    int RouteMargin() const;
    // 100 minus the volume trackbar's position: the volume of a clip, 0..100.
    std::int16_t VolumePercent(const platform::DialogHost& dlg) const;
    // Plays a clip on the PC; percent becomes the master volume only when the
    // trackbar moved since the last clip that PC audio took.
    void PlayClip(const std::string& path, int percent);
    // Edit 1026 shows the clip's sound id, or its file name.
    void ShowClip(platform::DialogHost& dlg, const VoiceEntry& entry, bool showId);
    // A random row that list and random play may take; nullptr when none can.
    const VoiceEntry* DrawRandomEntry();
    // Sends a program or clip file chosen in the program category.
    void SendProgramFile(platform::DialogHost& dlg, int selection, std::optional<char> card);
    // One sequencer tick in steps: take what the running sequence plays next,
    // send it down the route, and the timer period that follows it.
    struct SequenceStep;
    enum class StepTaken;
    StepTaken TakeStep(platform::DialogHost& dlg, SequenceStep& step);
    StepTaken TakePlayListLine(platform::DialogHost& dlg, SequenceStep& step);
    StepTaken TakeListEntry(platform::DialogHost& dlg, SequenceStep& step);
    // False when the send failed and the sequence stopped.
    bool SendStepClip(platform::DialogHost& dlg, const SequenceStep& step,
                      std::optional<char> card);
    std::int64_t StepPeriod(const SequenceStep& step) const;
    const Services& m_services;
    PlayerSettings m_settings;
    RobotLinkSettings m_link;
    FlashAirTargets m_targets;
    VoiceCatalogue m_catalogue;
    ClipListView m_view;
    RunningSequence m_sequence;
    bool m_volumeChanged = true;
    std::uint32_t m_randomState = 0;
    // Values whose write failed, by section and key, in force for this session.
    // A value of none: a removal that failed.
    std::map<std::pair<std::string, std::string>, std::optional<std::string>> m_unsavedSettings;
    // Settings files whose write failure the user has been told of.
    std::set<std::string> m_settingsFailureShown;
};
