// The string table (entries 101 to 127, 128 to 130 for failed settings
// writes, 131 to 137 for the data folder and the file choosers' titles, 138
// for a file written in place that may be damaged, 139 to 148 for the FlashAir
// cards of the settings dialog, 149 for the main dialog's find box, 150 to
// 178 for the play-list editor) and message boxes by entry.
#pragma once

#include <string>
#include <string_view>

#include "platform/prompts.h"

// String ids.
namespace ids {
constexpr int IDS_ABOUTBOX = 101;
constexpr int IDS_NINSHIKI_CSV_FAILED = 102;
constexpr int IDS_SELECT_CLIP = 103;
constexpr int IDS_VOICE_NOT_FOUND = 105;
constexpr int IDS_VOICE_CSV_FAILED = 107;
constexpr int IDS_REMOTE_WRITE_FAILED = 108;
constexpr int IDS_PLAYLIST_FAILED = 109;
constexpr int IDS_PLAYLIST_ID_MISSING = 110;
constexpr int IDS_PROGRAM_WRITE_FAILED = 112;
constexpr int IDS_PROGRAM_WRITTEN = 113;
constexpr int IDS_PROGRAM_APPEND = 115;
constexpr int IDS_REMOTE_LOG_MISSING = 116;
constexpr int IDS_PROGRAM_COPY_FAILED = 117;
constexpr int IDS_PLAYER_PROGRAM_MISSING = 118;
constexpr int IDS_FLASHAIR_FAILED = 119;
constexpr int IDS_PROGRAM_READ_FAILED = 122;
constexpr int IDS_OTHER_FOLDER = 123;
constexpr int IDS_AUDIO_INIT_FAILED = 124;
constexpr int IDS_AUDIO_PLAY_FAILED = 125;
constexpr int IDS_CLIP_COPY_FAILED = 126;
constexpr int IDS_ASK_VOICE_FOLDER = 127;
// A settings write failed: %1 the settings file, %2 the reason.
constexpr int IDS_SETTINGS_WRITE_FAILED = 128;
// Reasons for IDS_SETTINGS_WRITE_FAILED besides the system's own.
constexpr int IDS_SETTING_LINE_BREAK = 129;
constexpr int IDS_SETTING_NOT_ENCODABLE = 130;
// The start-up question's button that chooses the data folder, the folder
// chooser's title, and the message for a folder without Ninshiki.csv (%1).
constexpr int IDS_CHOOSE_DATA_FOLDER = 131;
constexpr int IDS_DATA_FOLDER_TITLE = 132;
constexpr int IDS_NO_CATALOGUE_IN_FOLDER = 133;
// Titles of the file choosers.
constexpr int IDS_REMOTE_LOG_TITLE = 134;
constexpr int IDS_RECOGNITION_CLIP_TITLE = 135;
constexpr int IDS_SEND_FILE_TITLE = 136;
constexpr int IDS_SAVE_PROGRAM_TITLE = 137;
// A write in place failed part way and the old bytes were put back: a reason
// line of IDS_SETTINGS_WRITE_FAILED, or a message after IDS_PROGRAM_WRITE_FAILED.
constexpr int IDS_FILE_MAY_BE_DAMAGED = 138;
// The settings dialog's cards field and card-test button (their labels).
constexpr int IDS_CARDS_FIELD = 139;
constexpr int IDS_CARD_TEST = 140;
// A card list refused: the entry's place (%1), the entry (%1), the most
// names (%1) or bytes (%1) a list may hold.
constexpr int IDS_CARD_NAME_EMPTY = 141;
constexpr int IDS_CARD_NAME_INVALID = 142;
constexpr int IDS_CARD_PORT_INVALID = 143;
constexpr int IDS_CARD_LIST_TOO_MANY = 144;
constexpr int IDS_CARD_LIST_TOO_LONG = 145;
// The card list changed while [REMOTE] FLASHAIR_TIME holds values.
constexpr int IDS_CARD_TIMES_BY_POSITION = 146;
// The card test's report (%1: a line per card) and a reply other than
// SUCCESS (%1: its first bytes).
constexpr int IDS_CARD_TEST_REPORT = 147;
constexpr int IDS_CARD_TEST_REPLY = 148;
// The main dialog's find box (its label).
constexpr int IDS_FIND = 149;
// The play-list editor: its system-menu item, its title and labels.
constexpr int IDS_PLAY_LIST_EDITOR = 150;
constexpr int IDS_PLAY_LIST_EDITOR_TITLE = 151;
// Its lines: a pause, an id no catalogue row has (%1), a line's pause in
// seconds (%1) and target (%1) after the clip; the target combo's "none".
constexpr int IDS_PLAY_LIST_PAUSE_LINE = 163;
constexpr int IDS_PLAY_LIST_UNKNOWN_ID = 164;
constexpr int IDS_PLAY_LIST_LINE_PAUSE = 165;
constexpr int IDS_PLAY_LIST_LINE_TARGET = 166;
constexpr int IDS_PLAY_LIST_NO_TARGET = 167;
// Unsaved changes before another list, closing or playing.
constexpr int IDS_PLAY_LIST_ASK_SAVE = 168;
constexpr int IDS_PLAY_LIST_ASK_SAVE_TO_PLAY = 169;
// A name refused (%1: the name), one entry per fault.
constexpr int IDS_PLAY_LIST_NAME_EMPTY = 170;
constexpr int IDS_PLAY_LIST_NAME_CHARACTER = 171;
constexpr int IDS_PLAY_LIST_NAME_RESERVED = 172;
constexpr int IDS_PLAY_LIST_NAME_NOT_CP932 = 173;
constexpr int IDS_PLAY_LIST_NAME_TOO_LONG = 174;
// Another list of the name exists (%1); a save failed (%1 the name, %2 why).
constexpr int IDS_PLAY_LIST_OVERWRITE = 175;
constexpr int IDS_PLAY_LIST_SAVE_FAILED = 176;
// The pause field holds no pause; playing needs the main dialog in Tiko mode.
constexpr int IDS_PLAY_LIST_PAUSE_INVALID = 177;
constexpr int IDS_PLAY_LIST_PLAY_MODE = 178;
} // namespace ids

// Entries that a dialog template shows as labels too.
namespace texts {
inline constexpr std::string_view kCardsFieldLabel = "FlashAirカード";
inline constexpr std::string_view kCardTestLabel = "接続テスト";
inline constexpr std::string_view kFindLabel = "検索";
inline constexpr std::string_view kPlayListEditorTitle = "プレイリストの編集";
inline constexpr std::string_view kPlayListNameLabel = "名前";
inline constexpr std::string_view kPlayListOpenLabel = "開く";
inline constexpr std::string_view kPlayListNewLabel = "新規";
inline constexpr std::string_view kPlayListUpLabel = "上へ";
inline constexpr std::string_view kPlayListDownLabel = "下へ";
inline constexpr std::string_view kPlayListRemoveLabel = "削除";
inline constexpr std::string_view kPlayListPauseLabel = "休止(秒)";
inline constexpr std::string_view kPlayListTargetLabel = "送り先";
inline constexpr std::string_view kPlayListAddLabel = "追加";
inline constexpr std::string_view kPlayListAddPauseLabel = "休止を追加";
inline constexpr std::string_view kPlayListSaveLabel = "保存";
} // namespace texts

// The text of an entry ("" for an id the table does not hold).
std::string_view LoadStringId(int id);

// Replaces %1 and %2 with the arguments; every other character is kept.
std::string FormatString(std::string_view text, std::string_view arg1 = {},
                         std::string_view arg2 = {});

// Shows entry `id`, formatted with the arguments, through the prompts.
int ShowMessage(platform::Prompts& prompts, int id, const platform::MessageStyle& style,
                std::string_view arg1 = {}, std::string_view arg2 = {});
// An OK-only message with the given icon.
int ShowOkMessage(platform::Prompts& prompts, int id, platform::MsgIcon icon,
                  std::string_view arg1 = {}, std::string_view arg2 = {});
