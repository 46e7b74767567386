// The main dialog as the player reaches it: its control ids, the category
// indexes that its radios stand for, and the sequencer's window timer.
#pragma once

// Category indexes (category radio id - 1001): 0..9 the standard radios, which
// list the entries of category numbers 1..10; 10..20 the radios that list
// entries by their flag bits; then "other" and "all".
constexpr int CATEGORY_COUNT = 23;
constexpr int CATEGORY_FIRST_FLAG = 10;
// The last flag radio; in recognition-word mode the program folder listing.
constexpr int CATEGORY_PROGRAMS = 20;
// In Tiko-voice mode the play-list listing.
constexpr int CATEGORY_PLAY_LISTS = 21;

// Control ids of the main dialog.
namespace ctl {
constexpr int kClose = 2;
constexpr int kPlay = 3;
constexpr int kListPlay = 4;
constexpr int kRandomPlay = 5;
constexpr int kStop = 6;
constexpr int kProgramOutput = 7;
constexpr int kSettings = 8;
constexpr int kClipList = 1000;
constexpr int kFirstCategory = 1001; // 1001..1023
constexpr int kVolume = 1024;
constexpr int kClipDisplay = 1026;
constexpr int kModeNinshiki = 1027;
constexpr int kModeVoice = 1028;
constexpr int kContinuousGroup = 1041;
// The category radios that the logic relabels, enables or disables, named by
// the label the template gives them.
constexpr int kWeatherRadio = 1005;
constexpr int kRobotRadio = 1006;
constexpr int kActionRadio = 1007;
constexpr int kStateRadio = 1010;
constexpr int kPhotoMailRadio = kFirstCategory + CATEGORY_FIRST_FLAG; // 1011
constexpr int kKarutaRadio = 1014;
constexpr int kSoccerRadio = 1017;
constexpr int kHouseSittingRadio = 1018;
constexpr int kTikoWalkRadio = 1019;
constexpr int kOptionRadio = 1020;
constexpr int kProgramRadio = kFirstCategory + CATEGORY_PROGRAMS;    // 1021
constexpr int kPlayListRadio = kFirstCategory + CATEGORY_PLAY_LISTS; // 1022
} // namespace ctl

// The window timer of the sequencer.
constexpr int SEQUENCE_TIMER = 1;
