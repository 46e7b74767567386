// Texts the logic puts on controls at run time, and the filters of its file
// dialogs. The dialog templates hold the labels a window starts with; these are
// the ones that replace them. Each is shown byte for byte as written here.
#pragma once

#include <string_view>

namespace labels {

// Button 3 (play) in its three roles, and the FlashAir several-card texts of
// group box 1041 and buttons 4 and 5, and the texts these go back to.
inline constexpr std::string_view kPlay = "再生";
inline constexpr std::string_view kContinuousPlay = "連続再生";
inline constexpr std::string_view kListPlay = "一覧再生";
inline constexpr std::string_view kRandomPlay = "ランダム再生";
inline constexpr std::string_view kRun = "実行";
inline constexpr std::string_view kSendToAll = "全送信";
inline constexpr std::string_view kSendEach = "個別送信";
inline constexpr std::string_view kSendFirst = "送信１";
inline constexpr std::string_view kSendSecond = "送信２";

// Category radios: the labels a mode change or start-up gives them.
inline constexpr std::string_view kWeather = "天気";
inline constexpr std::string_view kSongsTwistersWeather = "歌/早口言葉/天気";
inline constexpr std::string_view kWeatherSongsDance = "天気/歌/ダンス";
inline constexpr std::string_view kRobot = "ロボット";
inline constexpr std::string_view kRobotState = "ロボット/状態";
inline constexpr std::string_view kAction = "アクション";
inline constexpr std::string_view kBirthAction = "誕生/アクション";
inline constexpr std::string_view kState = "状態";
inline constexpr std::string_view kEnglish = "英語";
inline constexpr std::string_view kEnglishMonologue = "英語/独り言";
inline constexpr std::string_view kSoundEffects = "擬音";
inline constexpr std::string_view kKarutaSenryu = "カルタ/川柳";
inline constexpr std::string_view kBoardGame = "ボードゲーム";
inline constexpr std::string_view kSoccerCleaningFurikake = "サッカー/掃除/ふりかけ";
inline constexpr std::string_view kBirthScene = "誕生シーン";
inline constexpr std::string_view kRegistration = "登録";
inline constexpr std::string_view kLuckyItem = "ラッキーアイテム";
inline constexpr std::string_view kHouseMessages = "留守番/伝言";
inline constexpr std::string_view kHouseTvControl = "留守番/テレビ操作";
inline constexpr std::string_view kCraftMagazine = "クラフトマガジン";
inline constexpr std::string_view kTikoWalk = "ティコウォーク";
inline constexpr std::string_view kMessagesCleaning = "伝言/おそうじモード";
inline constexpr std::string_view kCommercial = "コマーシャル";
inline constexpr std::string_view kOptionMode = "オプションモード";
inline constexpr std::string_view kCarefreeNaughty = "脳天気/やんちゃ";
inline constexpr std::string_view kImpressionsFunny = "ものまね/面白い事";
inline constexpr std::string_view kSpoiltChild = "甘えん坊";
inline constexpr std::string_view kProgramsVoice = "プログラム/音声";
inline constexpr std::string_view kVoice = "音声";
inline constexpr std::string_view kTikoCart = "ティコカート";
inline constexpr std::string_view kWordChainTwisters = "しりとり/早口言葉";
inline constexpr std::string_view kOther = "その他";
inline constexpr std::string_view kPlayList = "プレイリスト";
inline constexpr std::string_view kMixedVoices = "ミックス音声";

// Items of the settings dialog's interval combo: 0 seconds, and the unit
// after any other number.
inline constexpr std::string_view kContinuous = "連続";
inline constexpr std::string_view kSecondsUnit = "秒";

// Titles of the file dialogs, where the toolkit does not give its own.
inline constexpr std::string_view kOpenTitle = "開く";
inline constexpr std::string_view kSaveAsTitle = "名前を付けて保存";

// Buttons of the message boxes, in place of the toolkit's own.
inline constexpr std::string_view kYesButton = "はい(&Y)";
inline constexpr std::string_view kNoButton = "いいえ(&N)";
inline constexpr std::string_view kOkButton = "OK";
// The third button of a question that may be called off.
inline constexpr std::string_view kCancelButton = "キャンセル";

} // namespace labels

// File-dialog filters: "description|patterns||", patterns separated by ';'.
namespace filters {

inline constexpr std::string_view kRecognitionClip = "認識音声ﾌｧｲﾙ|NF01.wav||";
inline constexpr std::string_view kClips = "音声ﾌｧｲﾙ|*.wav||";
inline constexpr std::string_view kProgramsAndClips = "ﾌﾟﾛｸﾞﾗﾑﾌｧｲﾙ/音声ﾌｧｲﾙ|*.TM4;*.wav||";
inline constexpr std::string_view kPrograms = "ﾌﾟﾛｸﾞﾗﾑﾌｧｲﾙ|*.TM4||";
inline constexpr std::string_view kRemoteLog = "ﾘﾓｰﾄﾌｧｲﾙ|REMOTE.LOG||";

} // namespace filters
