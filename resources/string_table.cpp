#include "resources/string_table.h"

#include "platform/prompts.h"

#include <array>

namespace {

struct StringEntry {
    int id;
    std::string_view text;
};

// Entries 101 to 178, in the order of their ids. Line breaks are "\n".
constexpr std::array<StringEntry, 78> kStrings = {{
    {101, "バージョン情報 Voxlet(&A)..."},
    {102, "認識語データファイルの読み込みに失敗しました"},
    {103, "再生する音声をリストボックスから選んでください"},
    {104, "音声ファイルを選んでください"}, // held in the table, never shown
    {105, "音声ファイルが見つかりません。\nFlashAirによるリモート接続で行いますか？\nいいえの場合は"
          "ティコのソラのvoiceフォルダーをコピーするか別の場所にある場合は次に表示されるファイルダ"
          "イアログで音声認識ファイルを指定してください。"},
    {106, "フォルダーが見つかりません"}, // held in the table, never shown
    {107, "ティコ音声データファイルの読み込みに失敗しました"},
    {108,
     "リモートファイルの書込みに失敗しました。\nティコとUSB接続されている事を確認してください。"},
    {109, "プレイリストの読み込みに失敗しました"},
    {110, "プレイリストのID[%1]の音声ファイルが存在しません。\n%2を確認してください。"},
    {111, "プレイリストを選んでください"}, // held in the table, never shown
    {112, "ティコプログラムの書出しに失敗しました"},
    {113, "ティコプログラムの書出しに成功しました"},
    {114, "プログラムの出力を中止しました"}, // held in the table, never shown
    {115, "プログラムファイルが存在します。音声出力命令を追加しますか？\nいいえを答えるとプログラム"
          "が新規作成されます。"},
    {116, "REMOTE."
          "LOGファイルが見つかりません。\nこのファイルをティコSDカードのADDONフォルダーにコピーして"
          "おいてください。"},
    {117, "プログラムのコピーに失敗しました。\nプログラムを直接実行するにはティコとPCがリモート接続"
          "されていなければいけません。\nまたティコの本体ではリモート接続用のメインプログラムが動い"
          "ていなければなりません。"},
    {118, "ティコで音声を再生するにはティコに音声再生プログラム(音声再生xxxx.TM4)"
          "をコピーしてください。"},
    {119, "FlashAirとの通信に失敗しました[%1]"},                         // shown without its id
    {120, "Flash Airと接続できません。\nWi-Fi設定を確認してください。"}, // held in the table, never
                                                                         // shown
    {121, "Flash Airへのアップロードに失敗しました。"}, // held in the table, never shown
    {122, "ティコプログラムの読み込みに失敗しました。"},
    {123, "他フォルダー(フォルダー変更)"},
    {124, "音声の初期化に失敗しました。\n音声の再生はできません。"},
    {125, "音声の再生に失敗しました"},
    {126, "音声ファイルのコピーに失敗しました。\n音声ファイルを直接再生するにはティコとPCがリモート"
          "接続されていなければいけません。\nまたティコの本体ではリモート接続用のメインプログラムが"
          "動いていなければなりません。"},
    {127, "音声データの場所を指定しますか？"},
    {128, "設定ファイル[%1]の書込みに失敗しました。\n%2\n変更した設定はプログラムを終了すると失われ"
          "ます。"},
    {129, "改行を含む値は保存できません。"},
    {130, "設定ファイルの文字コードで表せない文字が含まれています。"},
    {131, "データフォルダー指定"},
    {132, "データフォルダー(Ninshiki.csvのあるフォルダー)を選んでください"},
    {133, "フォルダー[%1]にNinshiki.csvがありません。"},
    {134, "ティコのSDカードのREMOTE.LOG(ADDONフォルダー)を選んでください"},
    {135, "音声認識ファイル(NF01.wav)を選んでください"},
    {136, "ティコに送るファイルを選んでください"},
    {137, "ティコプログラムの保存先を指定してください"},
    {138, "書込みの途中で失敗したため、ファイルが壊れている可能性があります。"},
    {139, texts::kCardsFieldLabel},
    {140, texts::kCardTestLabel},
    {141,
     "FlashAirカードの%1番目の名前がありません。\nカンマの間に名前を入れるか、カンマを消してくだ"
     "さい。"},
    {142, "FlashAirカード「%1」の名前に使えない文字があります。\n名前には英数字、-、.、_"
          "が使えます(IPv6アドレスは[ ]で囲みます)。"},
    {143, "FlashAirカード「%1」のポート番号が正しくありません。\nポート番号は1から65535までです。"},
    {144, "FlashAirカードは%1枚までしか指定できません。"},
    {145, "FlashAirカードの指定は%1バイトまでです。"},
    {146,
     "FlashAirカードの一覧が変わりました。\nFLASHAIR_TIMEの値はカードの順番に対応しているため、"
     "設定ファイルの値を確認してください。"},
    {147, "接続テストの結果:\n%1"},
    {148, "応答: %1"},
    {149, texts::kFindLabel},
    {150, "プレイリストの編集..."},
    {151, texts::kPlayListEditorTitle},
    {152, texts::kPlayListNameLabel},
    {153, texts::kPlayListOpenLabel},
    {154, texts::kPlayListNewLabel},
    {155, texts::kPlayListUpLabel},
    {156, texts::kPlayListDownLabel},
    {157, texts::kPlayListRemoveLabel},
    {158, texts::kPlayListPauseLabel},
    {159, texts::kPlayListTargetLabel},
    {160, texts::kPlayListAddLabel},
    {161, texts::kPlayListAddPauseLabel},
    {162, texts::kPlayListSaveLabel},
    {163, "休止"},
    {164, "ID %1（カタログにありません）"},
    {165, "　+%1秒"},
    {166, "　→%1"},
    {167, "なし"},
    {168, "プレイリストの変更が保存されていません。保存しますか？"},
    {169, "再生するにはプレイリストを保存します。保存しますか？"},
    {170, "プレイリストの名前を入れてください。"},
    {171, "プレイリストの名前「%1」に使えない文字があります。\n\\ / : * ? \" < > | "
          "と制御文字は使えません。また、名前の最後を.や空白にはできません。"},
    {172, "「%1」は機器の名前のため、プレイリストの名前にできません。"},
    {173, "プレイリストの名前「%1」に、ティコの文字コード(シフトJIS)で表せない文字があります。"},
    {174, "プレイリストの名前「%1」が長すぎます。\nフォルダーを含めて255バイトまでです。"},
    {175, "プレイリスト「%1」はすでにあります。上書きしますか？"},
    {176, "プレイリスト「%1」の保存に失敗しました。\n%2"},
    {177, "休止(秒)には0から3600までの整数を入れるか、空欄にしてください。"},
    {178, "プレイリストを再生するには、メイン画面をティコモードにしてください。"},
}};

} // namespace

std::string_view LoadStringId(int id) {
    for (const auto& e : kStrings)
        if (e.id == id)
            return e.text;
    return {};
}

std::string FormatString(std::string_view text, std::string_view arg1, std::string_view arg2) {
    std::string out;
    out.reserve(text.size() + arg1.size() + arg2.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
            out += text[i + 1] == '1' ? arg1 : arg2;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

int ShowMessage(platform::Prompts& prompts, int id, const platform::MessageStyle& style,
                std::string_view arg1, std::string_view arg2) {
    return prompts.Message(id, FormatString(LoadStringId(id), arg1, arg2), style);
}

int ShowOkMessage(platform::Prompts& prompts, int id, platform::MsgIcon icon, std::string_view arg1,
                  std::string_view arg2) {
    platform::MessageStyle style;
    style.icon = icon;
    return ShowMessage(prompts, id, style, arg1, arg2);
}
