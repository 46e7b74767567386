// The player's state, in the groups that its operations read and change
// together. CVoicePlayer holds one of each; callers read them through its
// const accessors and change them through its operations.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/main_dialog.h"
#include "core/voice_entry.h"
#include "platform/text.h"

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
// The bytes of [REMOTE] FLASHAIR that are read; the rest is not seen.
constexpr std::size_t MAX_TARGET_LIST_BYTES = 2047;
// The card that a missing [REMOTE] FLASHAIR stands for: the factory network name.
inline constexpr std::string_view DEFAULT_FLASHAIR_HOST = "flashair";

// The settings the player reads when it is made (the route when it starts
// against the dialog); the settings dialog changes some of them.
struct PlayerSettings {
    std::string iniPath;           // the settings file
    unsigned voiceSets = 1;        // [DATA] VERSION, VOICE_SET_* bits
    int model = 1;                 // [SOUND] TIKO
    bool recognitionVoice = false; // [SOUND] NINSHIKI_VOICE=1: the word sounds on the PC too
    int volumeMin = -1500;         // [SOUND] VOLUME "min,max", the trackbar's scale
    int volumeMax = 1000;
    std::string voiceFolder;   // [SOUND] VOICE_FOLDER
    int intervalMargin = 1000; // [PLAY] INTERVAL_MERGIN, ms after a clip on the PC
    int defaultInterval = 0;   // [PLAY] DEFAULT_INTERVAL, s from clip to clip; 0: by length
    int route = CONNECT_SOUND; // [REMOTE] CONNECT_TYPE, read at start-up
    std::array<int, CATEGORY_COUNT> listDefaults{}; // [LIST] row selected per category; -1 none
};

// The robot link's [REMOTE] settings besides the FlashAir cards.
struct RobotLinkSettings {
    std::string remoteDir;     // REMOTE_DIR: the card as a folder, ending with a separator
    int remoteInterval = 1000; // REMOTE_INTERVAL, the command's step in ms
    int remoteMargin = 1000;   // REMOTE_MERGIN, ms after a clip on a robot route
    char altDrive = 0;         // ALTERNAME_DRIVE: the second card's letter; 0 none
};

// The FlashAir cards ([REMOTE] FLASHAIR and FLASHAIR_TIME).
struct FlashAirTargets {
    std::vector<std::string> hosts;                 // at most MAX_TARGETS
    std::optional<std::vector<std::int16_t>> times; // one per host when FLASHAIR_TIME is set
};

// The loaded catalogue.
struct VoiceCatalogue {
    std::vector<VoiceEntry> entries;
    bool hidden = false; // ura_voice.csv, opened by the row with sound id 1000
};

// What the clip list shows.
struct ClipListView {
    int mode = MODE_NINSHIKI;
    int category = -1; // -1 until the first category is shown
    // While the find box holds text: that text folded, the category that was
    // checked before (Esc returns to it) and, unless the play lists are
    // filtered, the catalogue rows the list shows (random play draws from them).
    std::string find;
    int categoryBeforeFind = -1;
    std::vector<std::size_t> found;
};

// Continuous play in progress.
struct RunningSequence {
    SequenceKind kind = SequenceKind::None;
    int listPos = 0;                                   // the next row of list play
    std::unique_ptr<platform::TextRowReader> playList; // the play list being played
};
