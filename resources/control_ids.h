// The control ids of the program's dialogs, each written once below as
// X(Name, id). The constants ctl::kName (ctl::settings::kName, ctl::about::kName,
// ctl::playlist::kName) and the names scripts give the controls come from the same lists: a script
// name is the constant's name without its k, lower-case and hyphenated, so
// kPlayListRadio is "play-list-radio" and kSora2DxBox "sora2-dx-box".
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

// The main dialog. The find box lists the rows whose texts hold what it holds.
#define VOXLET_MAIN_CONTROL_IDS(X)                                                                 \
    X(Close, 2)                                                                                    \
    X(Play, 3)                                                                                     \
    X(ListPlay, 4)                                                                                 \
    X(RandomPlay, 5)                                                                               \
    X(Stop, 6)                                                                                     \
    X(ProgramOutput, 7)                                                                            \
    X(Settings, 8)                                                                                 \
    X(ClipList, 1000)                                                                              \
    X(GreetingRadio, 1001)                                                                         \
    X(AboutTikoRadio, 1002)                                                                        \
    X(ConversationRadio, 1003)                                                                     \
    X(SpecialDayRadio, 1004)                                                                       \
    X(WeatherRadio, 1005)                                                                          \
    X(RobotRadio, 1006)                                                                            \
    X(ActionRadio, 1007)                                                                           \
    X(GamesRadio, 1008)                                                                            \
    X(HelpRadio, 1009)                                                                             \
    X(StateRadio, 1010)                                                                            \
    X(PhotoMailRadio, 1011)                                                                        \
    X(FlagsRadio, 1012)                                                                            \
    X(QuizRadio, 1013)                                                                             \
    X(KarutaRadio, 1014)                                                                           \
    X(JankenRadio, 1015)                                                                           \
    X(TimerRadio, 1016)                                                                            \
    X(SoccerRadio, 1017)                                                                           \
    X(HouseSittingRadio, 1018)                                                                     \
    X(TikoWalkRadio, 1019)                                                                         \
    X(OptionRadio, 1020)                                                                           \
    X(ProgramRadio, 1021)                                                                          \
    X(PlayListRadio, 1022)                                                                         \
    X(AllRadio, 1023)                                                                              \
    X(Volume, 1024)                                                                                \
    X(ClipDisplay, 1026)                                                                           \
    X(ModeNinshiki, 1027)                                                                          \
    X(ModeVoice, 1028)                                                                             \
    X(ContinuousGroup, 1041)                                                                       \
    X(FindBox, 1043)

// The settings dialog. Model radios: 1036 + model - 1 for models 1 to 4.
// The voice-set check boxes: one a bit of [DATA] VERSION. The cards field
// edits [REMOTE] FLASHAIR; the card-test button tests what it holds.
#define VOXLET_SETTINGS_CONTROL_IDS(X)                                                             \
    X(Ok, 1)                                                                                       \
    X(Cancel, 2)                                                                                   \
    X(RemoteFile, 3)                                                                               \
    X(RecognitionFile, 4)                                                                          \
    X(DataFolder, 5)                                                                               \
    X(IntervalCombo, 1025)                                                                         \
    X(InterfaceCombo, 1030)                                                                        \
    X(TikoBox, 1032)                                                                               \
    X(TikoCartBox, 1033)                                                                           \
    X(Sora2Box, 1034)                                                                              \
    X(Sora2DxBox, 1035)                                                                            \
    X(Model1Radio, 1036)                                                                           \
    X(Model2Radio, 1037)                                                                           \
    X(Model3Radio, 1038)                                                                           \
    X(Model4Radio, 1039)                                                                           \
    X(RecognitionPlay, 1040)                                                                       \
    X(TikoWalkBox, 1041)                                                                           \
    X(CardTest, 6)                                                                                 \
    X(CardsField, 1042)

// The about box.
#define VOXLET_ABOUT_CONTROL_IDS(X) X(Ok, 1)

// The play-list editor: the list's name and the lists to open, its lines with
// the selected line's pause and target, the clips to add (found as in the
// main dialog's find box), and play, save and close.
#define VOXLET_PLAY_LIST_CONTROL_IDS(X)                                                            \
    X(Close, 2)                                                                                    \
    X(NameField, 1100)                                                                             \
    X(ListCombo, 1101)                                                                             \
    X(Open, 1102)                                                                                  \
    X(New, 1103)                                                                                   \
    X(Lines, 1104)                                                                                 \
    X(Up, 1105)                                                                                    \
    X(Down, 1106)                                                                                  \
    X(Remove, 1107)                                                                                \
    X(PauseField, 1108)                                                                            \
    X(TargetCombo, 1109)                                                                           \
    X(ClipFind, 1110)                                                                              \
    X(Clips, 1111)                                                                                 \
    X(AddClip, 1112)                                                                               \
    X(AddPause, 1113)                                                                              \
    X(Play, 1114)                                                                                  \
    X(Save, 1115)

#define VOXLET_CONTROL_ID_CONSTANT(name, id) inline constexpr int k##name = id;
namespace ctl {
VOXLET_MAIN_CONTROL_IDS(VOXLET_CONTROL_ID_CONSTANT)
// The first category radio; category index i has radio kFirstCategory + i.
inline constexpr int kFirstCategory = kGreetingRadio;
namespace settings {
VOXLET_SETTINGS_CONTROL_IDS(VOXLET_CONTROL_ID_CONSTANT)
}
namespace about {
VOXLET_ABOUT_CONTROL_IDS(VOXLET_CONTROL_ID_CONSTANT)
}
namespace playlist {
VOXLET_PLAY_LIST_CONTROL_IDS(VOXLET_CONTROL_ID_CONSTANT)
}
} // namespace ctl
#undef VOXLET_CONTROL_ID_CONSTANT

// A named control: its constant's name without the k, and its id.
struct ControlName {
    std::string_view constant;
    int id;
};

// The named controls of the dialog with template id dialogId (IDD_...); none
// for any other id.
std::span<const ControlName> ControlNames(int dialogId);

// The name scripts give a constant: "PlayListRadio" -> "play-list-radio".
std::string ScriptName(std::string_view constant);

// The id of the control of dialog dialogId whose script name is name.
std::optional<int> FindControlId(int dialogId, std::string_view name);
