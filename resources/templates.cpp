#include "resources/templates.h"

using platform::ControlKind;
using platform::ControlTemplate;
using platform::DialogTemplate;
using namespace platform; // flag names

namespace {

constexpr unsigned kRadio = 0;
constexpr unsigned kPush = kTabStop;

// Main dialog: 286 x 374 dialog units. Template order is also tab and
// radio-group order.
constexpr ControlTemplate kMainControls[] = {
    {1027, ControlKind::Radio, 220, 5, 47, 12, kStartsGroup, "認識語"},
    {1028, ControlKind::Radio, 220, 22, 47, 12, kRadio, "ティコ"},
    {2, ControlKind::Button, 220, 341, 50, 20, kPush, "閉じる"},
    {3, ControlKind::DefButton, 220, 43, 50, 20, kPush, "再生"},
    {1001, ControlKind::Radio, 132, 19, 61, 9, kStartsGroup, "あいさつ/呼びかけ"},
    {1002, ControlKind::Radio, 132, 33, 61, 9, kRadio, "ティコのこと"},
    {1003, ControlKind::Radio, 132, 47, 61, 9, kRadio, "日常会話"},
    {1004, ControlKind::Radio, 132, 61, 61, 9, kRadio, "特別な日"},
    {1005, ControlKind::Radio, 132, 75, 72, 9, kRadio, "天気"},
    {1006, ControlKind::Radio, 132, 89, 61, 9, kRadio, "ロボット"},
    {1007, ControlKind::Radio, 132, 103, 61, 9, kRadio, "アクション"},
    {1008, ControlKind::Radio, 132, 117, 61, 9, kRadio, "遊び"},
    {1009, ControlKind::Radio, 132, 131, 61, 9, kRadio, "お手伝い"},
    {1010, ControlKind::Radio, 132, 145, 61, 9, kRadio, "状態"},
    {1011, ControlKind::Radio, 132, 178, 73, 9, kDisabled, "写真/絵本/メール"},
    {1012, ControlKind::Radio, 132, 192, 73, 9, kRadio, "旗上げ/ティコ危機一髪"},
    {1013, ControlKind::Radio, 132, 206, 73, 9, kRadio, "クイズ"},
    {1014, ControlKind::Radio, 132, 220, 73, 9, kDisabled, "カルタ/川柳"},
    {1015, ControlKind::Radio, 132, 234, 73, 9, kRadio, "じゃんけん"},
    {1016, ControlKind::Radio, 132, 248, 73, 9, kRadio, "タイマー/テレビ"},
    {1017, ControlKind::Radio, 132, 262, 73, 9, kRadio, "サッカー/掃除/ふりかけ"},
    {1018, ControlKind::Radio, 132, 276, 73, 9, kRadio, "留守番/伝言"},
    {1019, ControlKind::Radio, 132, 290, 73, 9, kDisabled, "ティコウォーク"},
    {1020, ControlKind::Radio, 132, 304, 73, 9, kRadio, "オプション"},
    {1021, ControlKind::Radio, 132, 318, 73, 9, kDisabled, "プログラム/音声"},
    {1022, ControlKind::Radio, 132, 332, 73, 9, kRadio, "その他"},
    {1023, ControlKind::Radio, 132, 346, 72, 9, kRadio, "すべて"},
    {1000, ControlKind::List, 22, 7, 94, 354,
     kStartsGroup | kTabStop | kBorder | kVScroll | kNotify, ""},
    {1024, ControlKind::Trackbar, 234, 67, 20, 94, kTabStop | kVertical, ""},
    {-1, ControlKind::Static, 218, 74, 14, 25, kCentred, "音量\n\n大"},
    {-1, ControlKind::Static, 221, 135, 8, 10, kNone, "小"},
    {1026, ControlKind::Edit, 220, 168, 50, 12, kTabStop | kBorder | kReadOnly | kCentred, ""},
    {1041, ControlKind::Group, 212, 194, 67, 85, kNone, "連続再生"},
    {7, ControlKind::Button, 220, 285, 50, 20, kPush, "プログラム出力"},
    {4, ControlKind::Button, 220, 203, 50, 20, kPush, "一覧再生"},
    {5, ControlKind::Button, 220, 228, 50, 20, kPush, "ランダム再生"},
    {6, ControlKind::Button, 220, 253, 50, 20, kPush | kDisabled, "停止"},
    {-1, ControlKind::Group, 123, 2, 84, 156, kNone, "標準モード"},
    {-1, ControlKind::Group, 123, 166, 84, 195, kNone, "特別なモード"},
    {8, ControlKind::Button, 220, 310, 50, 20, kPush, "設定"},
};

// About box: 171 x 73 dialog units.
constexpr ControlTemplate kAboutControls[] = {
    {IDR_MAINFRAME, ControlKind::Icon, 14, 14, 21, 20, kNone, ""},
    {-1, ControlKind::Static, 42, 14, 114, 8, kNone, "Voxlet Version 5.40"},
    {-1, ControlKind::Static, 42, 26, 114, 18, kNone,
     "Copyright (C) Voxlet developers\nFree to use with your robot"},
    {1, ControlKind::DefButton, 114, 52, 50, 14, kStartsGroup | kTabStop, "OK"},
};

constexpr std::string_view kInterfaceItems[] = {"音声", "USB/シミュレーター", "FlashAir"};

// Settings dialog: 244 x 154 dialog units.
constexpr ControlTemplate kDefineControls[] = {
    {1, ControlKind::DefButton, 113, 133, 50, 14, kPush, "OK"},
    {2, ControlKind::Button, 187, 133, 50, 14, kPush, "キャンセル"},
    {1036, ControlKind::Radio, 31, 19, 42, 12, kStartsGroup, "ティコ１"},
    {1037, ControlKind::Radio, 78, 19, 42, 12, kRadio, "ティコ２"},
    {1038, ControlKind::Radio, 97, 27, 42, 12, kHidden, "中国語"},
    {1039, ControlKind::Radio, 195, 27, 42, 12, kHidden, "イタリア語"},
    {1032, ControlKind::Check, 31, 56, 29, 13, kTabStop, "ティコ"},
    {1033, ControlKind::Check, 63, 56, 36, 13, kTabStop, "ティコカート"},
    {1034, ControlKind::Check, 103, 56, 36, 13, kTabStop, "ソラ２"},
    {1035, ControlKind::Check, 144, 56, 44, 13, kTabStop, "ソラ２DX"},
    {1030, ControlKind::Combo, 77, 84, 76, 66, kTabStop | kVScroll, "", kInterfaceItems},
    {3, ControlKind::Button, 180, 84, 57, 14, kPush | kDisabled, "リモートファイル"},
    {1025, ControlKind::Combo, 77, 110, 76, 76, kTabStop | kVScroll, ""},
    {1040, ControlKind::Check, 180, 113, 57, 9, kTabStop | kDisabled, "認識語再生"},
    {-1, ControlKind::Group, 7, 7, 230, 34, kNone, "音声認識"},
    {-1, ControlKind::Group, 7, 44, 230, 34, kNone, "音声ファイル"},
    {-1, ControlKind::Static, 22, 86, 53, 10, kStartsGroup, "インターフェイス"},
    {-1, ControlKind::Static, 22, 113, 53, 9, kStartsGroup, "再生間隔"},
    {1041, ControlKind::Check, 192, 56, 40, 13, kTabStop, "ティコウォーク"},
    {4, ControlKind::Button, 141, 18, 63, 14, kPush, "認識ファイル指定"},
    {5, ControlKind::Button, 7, 133, 70, 14, kPush, "データフォルダー指定"},
};

const DialogTemplate kMainDialog{
    IDD_VOXLET_DIALOG, "ティコボイスプレイヤー", 286, 374, "MS UI Gothic", 9, kMainControls};
const DialogTemplate kAboutDialog{
    IDD_ABOUTBOX, "バージョン情報 Voxlet", 171, 73, "MS UI Gothic", 9, kAboutControls};

const DialogTemplate kDefineDialog{IDD_DEFINE_DIALOG, "設定ダイアログ", 244, 154, "MS Shell Dlg", 8,
                                   kDefineControls};

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
