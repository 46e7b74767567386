#include "resources/templates.h"

#include "resources/control_ids.h"
#include "resources/string_table.h"

using platform::ControlKind;
using platform::ControlTemplate;
using platform::DialogTemplate;
using namespace platform; // flag names

namespace {

using namespace ctl;

constexpr unsigned kRadio = 0;
constexpr unsigned kPush = kTabStop;

// Main dialog: 286 x 388 dialog units. Template order is also tab and
// radio-group order.
constexpr ControlTemplate kMainControls[] = {
    {kModeNinshiki, ControlKind::Radio, 220, 5, 47, 12, kStartsGroup, "認識語"},
    {kModeVoice, ControlKind::Radio, 220, 22, 47, 12, kRadio, "ティコ"},
    {kClose, ControlKind::Button, 220, 341, 50, 20, kPush, "閉じる"},
    {kPlay, ControlKind::DefButton, 220, 43, 50, 20, kPush, "再生"},
    {kGreetingRadio, ControlKind::Radio, 132, 19, 61, 9, kStartsGroup, "あいさつ/呼びかけ"},
    {kAboutTikoRadio, ControlKind::Radio, 132, 33, 61, 9, kRadio, "ティコのこと"},
    {kConversationRadio, ControlKind::Radio, 132, 47, 61, 9, kRadio, "日常会話"},
    {kSpecialDayRadio, ControlKind::Radio, 132, 61, 61, 9, kRadio, "特別な日"},
    {kWeatherRadio, ControlKind::Radio, 132, 75, 72, 9, kRadio, "天気"},
    {kRobotRadio, ControlKind::Radio, 132, 89, 61, 9, kRadio, "ロボット"},
    {kActionRadio, ControlKind::Radio, 132, 103, 61, 9, kRadio, "アクション"},
    {kGamesRadio, ControlKind::Radio, 132, 117, 61, 9, kRadio, "遊び"},
    {kHelpRadio, ControlKind::Radio, 132, 131, 61, 9, kRadio, "お手伝い"},
    {kStateRadio, ControlKind::Radio, 132, 145, 61, 9, kRadio, "状態"},
    {kPhotoMailRadio, ControlKind::Radio, 132, 178, 73, 9, kDisabled, "写真/絵本/メール"},
    {kFlagsRadio, ControlKind::Radio, 132, 192, 73, 9, kRadio, "旗上げ/ティコ危機一髪"},
    {kQuizRadio, ControlKind::Radio, 132, 206, 73, 9, kRadio, "クイズ"},
    {kKarutaRadio, ControlKind::Radio, 132, 220, 73, 9, kDisabled, "カルタ/川柳"},
    {kJankenRadio, ControlKind::Radio, 132, 234, 73, 9, kRadio, "じゃんけん"},
    {kTimerRadio, ControlKind::Radio, 132, 248, 73, 9, kRadio, "タイマー/テレビ"},
    {kSoccerRadio, ControlKind::Radio, 132, 262, 73, 9, kRadio, "サッカー/掃除/ふりかけ"},
    {kHouseSittingRadio, ControlKind::Radio, 132, 276, 73, 9, kRadio, "留守番/伝言"},
    {kTikoWalkRadio, ControlKind::Radio, 132, 290, 73, 9, kDisabled, "ティコウォーク"},
    {kOptionRadio, ControlKind::Radio, 132, 304, 73, 9, kRadio, "オプション"},
    {kProgramRadio, ControlKind::Radio, 132, 318, 73, 9, kDisabled, "プログラム/音声"},
    {kPlayListRadio, ControlKind::Radio, 132, 332, 73, 9, kRadio, "その他"},
    {kAllRadio, ControlKind::Radio, 132, 346, 72, 9, kRadio, "すべて"},
    {kClipList, ControlKind::List, 22, 7, 94, 354,
     kStartsGroup | kTabStop | kBorder | kVScroll | kNotify, ""},
    {kVolume, ControlKind::Trackbar, 234, 67, 20, 94, kTabStop | kVertical, ""},
    {-1, ControlKind::Static, 218, 74, 14, 25, kCentred, "音量\n\n大"},
    {-1, ControlKind::Static, 221, 135, 8, 10, kNone, "小"},
    {kClipDisplay, ControlKind::Edit, 220, 168, 50, 12, kTabStop | kBorder | kReadOnly | kCentred,
     ""},
    {kContinuousGroup, ControlKind::Group, 212, 194, 67, 85, kNone, "連続再生"},
    {kProgramOutput, ControlKind::Button, 220, 285, 50, 20, kPush, "プログラム出力"},
    {kListPlay, ControlKind::Button, 220, 203, 50, 20, kPush, "一覧再生"},
    {kRandomPlay, ControlKind::Button, 220, 228, 50, 20, kPush, "ランダム再生"},
    {kStop, ControlKind::Button, 220, 253, 50, 20, kPush | kDisabled, "停止"},
    {-1, ControlKind::Group, 123, 2, 84, 156, kNone, "標準モード"},
    {-1, ControlKind::Group, 123, 166, 84, 195, kNone, "特別なモード"},
    {kSettings, ControlKind::Button, 220, 310, 50, 20, kPush, "設定"},
    // A row below the others for the find box; the dialog grew by it.
    {-1, ControlKind::Static, 22, 372, 20, 9, kStartsGroup, texts::kFindLabel},
    {kFindBox, ControlKind::Edit, 44, 370, 72, 12, kStartsGroup | kTabStop | kBorder | kWantsKeys,
     ""},
};

// About box: 171 x 73 dialog units.
constexpr ControlTemplate kAboutControls[] = {
    {IDR_MAINFRAME, ControlKind::Icon, 14, 14, 21, 20, kNone, ""},
    {-1, ControlKind::Static, 42, 14, 114, 8, kNone, "Voxlet Version 5.40"},
    {-1, ControlKind::Static, 42, 26, 114, 18, kNone,
     "Copyright (C) Voxlet developers\nMIT License"},
    {about::kOk, ControlKind::DefButton, 114, 52, 50, 14, kStartsGroup | kTabStop, "OK"},
};

constexpr std::string_view kInterfaceItems[] = {"音声", "USB/シミュレーター", "FlashAir"};

// Settings dialog: 244 x 172 dialog units.
constexpr ControlTemplate kDefineControls[] = {
    {settings::kOk, ControlKind::DefButton, 113, 133, 50, 14, kPush, "OK"},
    {settings::kCancel, ControlKind::Button, 187, 133, 50, 14, kPush, "キャンセル"},
    {settings::kModel1Radio, ControlKind::Radio, 31, 19, 42, 12, kStartsGroup, "ティコ１"},
    {settings::kModel2Radio, ControlKind::Radio, 78, 19, 42, 12, kRadio, "ティコ２"},
    {settings::kModel3Radio, ControlKind::Radio, 97, 27, 42, 12, kHidden, "中国語"},
    {settings::kModel4Radio, ControlKind::Radio, 195, 27, 42, 12, kHidden, "イタリア語"},
    {settings::kTikoBox, ControlKind::Check, 31, 56, 29, 13, kTabStop, "ティコ"},
    {settings::kTikoCartBox, ControlKind::Check, 63, 56, 36, 13, kTabStop, "ティコカート"},
    {settings::kSora2Box, ControlKind::Check, 103, 56, 36, 13, kTabStop, "ソラ２"},
    {settings::kSora2DxBox, ControlKind::Check, 144, 56, 44, 13, kTabStop, "ソラ２DX"},
    {settings::kInterfaceCombo, ControlKind::Combo, 77, 84, 76, 66, kTabStop | kVScroll, "",
     kInterfaceItems},
    {settings::kRemoteFile, ControlKind::Button, 180, 84, 57, 14, kPush | kDisabled,
     "リモートファイル"},
    {settings::kIntervalCombo, ControlKind::Combo, 77, 110, 76, 76, kTabStop | kVScroll, ""},
    {settings::kRecognitionPlay, ControlKind::Check, 180, 113, 57, 9, kTabStop | kDisabled,
     "認識語再生"},
    {-1, ControlKind::Group, 7, 7, 230, 34, kNone, "音声認識"},
    {-1, ControlKind::Group, 7, 44, 230, 34, kNone, "音声ファイル"},
    {-1, ControlKind::Static, 22, 86, 53, 10, kStartsGroup, "インターフェイス"},
    {-1, ControlKind::Static, 22, 113, 53, 9, kStartsGroup, "再生間隔"},
    {settings::kTikoWalkBox, ControlKind::Check, 192, 56, 40, 13, kTabStop, "ティコウォーク"},
    {settings::kRecognitionFile, ControlKind::Button, 141, 18, 63, 14, kPush, "認識ファイル指定"},
    {settings::kDataFolder, ControlKind::Button, 7, 133, 70, 14, kPush, "データフォルダー指定"},
    // A row below the others for the FlashAir cards; the dialog grew by it.
    {-1, ControlKind::Static, 7, 155, 50, 9, kStartsGroup, texts::kCardsFieldLabel},
    {settings::kCardsField, ControlKind::Edit, 60, 153, 117, 12, kStartsGroup | kTabStop | kBorder,
     ""},
    {settings::kCardTest, ControlKind::Button, 180, 152, 57, 14, kPush, texts::kCardTestLabel},
};

// Play-list editor: 330 x 226 dialog units. The list's lines on the left with
// the selected line's pause and target below them, the clips to add on the
// right, the commands at the bottom.
constexpr ControlTemplate kPlayListControls[] = {
    {-1, ControlKind::Static, 7, 9, 24, 9, kStartsGroup, texts::kPlayListNameLabel},
    {playlist::kNameField, ControlKind::Edit, 34, 7, 110, 12, kStartsGroup | kTabStop | kBorder,
     ""},
    {playlist::kListCombo, ControlKind::Combo, 152, 7, 100, 90, kTabStop | kVScroll, ""},
    {playlist::kOpen, ControlKind::Button, 256, 6, 32, 14, kPush, texts::kPlayListOpenLabel},
    {playlist::kNew, ControlKind::Button, 291, 6, 32, 14, kPush, texts::kPlayListNewLabel},
    {playlist::kLines, ControlKind::List, 7, 26, 150, 150,
     kStartsGroup | kTabStop | kBorder | kVScroll | kNotify, ""},
    {playlist::kUp, ControlKind::Button, 161, 26, 40, 14, kPush | kDisabled,
     texts::kPlayListUpLabel},
    {playlist::kDown, ControlKind::Button, 161, 44, 40, 14, kPush | kDisabled,
     texts::kPlayListDownLabel},
    {playlist::kRemove, ControlKind::Button, 161, 62, 40, 14, kPush | kDisabled,
     texts::kPlayListRemoveLabel},
    {-1, ControlKind::Static, 7, 183, 36, 9, kStartsGroup, texts::kPlayListPauseLabel},
    {playlist::kPauseField, ControlKind::Edit, 45, 181, 30, 12,
     kStartsGroup | kTabStop | kBorder | kDisabled, ""},
    {-1, ControlKind::Static, 82, 183, 26, 9, kStartsGroup, texts::kPlayListTargetLabel},
    {playlist::kTargetCombo, ControlKind::Combo, 110, 181, 47, 90,
     kStartsGroup | kTabStop | kVScroll | kDisabled, ""},
    {-1, ControlKind::Static, 208, 28, 20, 9, kStartsGroup, texts::kFindLabel},
    {playlist::kClipFind, ControlKind::Edit, 230, 26, 93, 12,
     kStartsGroup | kTabStop | kBorder | kWantsKeys, ""},
    {playlist::kClips, ControlKind::List, 208, 42, 115, 134,
     kTabStop | kBorder | kVScroll | kNotify, ""},
    {playlist::kAddClip, ControlKind::Button, 208, 181, 40, 14, kPush, texts::kPlayListAddLabel},
    {playlist::kAddPause, ControlKind::Button, 252, 181, 50, 14, kPush,
     texts::kPlayListAddPauseLabel},
    {playlist::kPlay, ControlKind::Button, 7, 205, 50, 14, kStartsGroup | kPush, "再生"},
    {playlist::kSave, ControlKind::Button, 216, 205, 50, 14, kPush, texts::kPlayListSaveLabel},
    {playlist::kClose, ControlKind::Button, 273, 205, 50, 14, kPush, "閉じる"},
};

const DialogTemplate kMainDialog{
    IDD_VOXLET_DIALOG, "ティコボイスプレイヤー", 286, 388, "MS UI Gothic", 9, kMainControls};
const DialogTemplate kAboutDialog{
    IDD_ABOUTBOX, "バージョン情報 Voxlet", 171, 73, "MS UI Gothic", 9, kAboutControls};

const DialogTemplate kDefineDialog{IDD_DEFINE_DIALOG, "設定ダイアログ", 244, 172, "MS Shell Dlg", 8,
                                   kDefineControls};

const DialogTemplate kPlayListDialog{
    IDD_PLAY_LIST_DIALOG, texts::kPlayListEditorTitle, 330, 226, "MS Shell Dlg", 8,
    kPlayListControls};

} // namespace

const DialogTemplate& MainDialogTemplate() {
    return kMainDialog;
}
const DialogTemplate& AboutDialogTemplate() {
    return kAboutDialog;
}
const DialogTemplate& DefineDialogTemplate() {
    return kDefineDialog;
}
const DialogTemplate& PlayListDialogTemplate() {
    return kPlayListDialog;
}
