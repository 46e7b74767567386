#include "core/voice_player.h"

#include <array>

#include "platform/dialog_host.h"
#include "platform/paths.h"
#include "resources/string_table.h"

using platform::DialogHost;

namespace {

int Radio(int c) {
    return ctl::kFirstCategory + c;
}

// Whether an entry belongs to category index c in the entry listing.
bool InCategory(const VoiceEntry& e, int c, bool ura) {
    if (c <= 9)
        return e.byCategory == c + 1;
    if (c == 10)
        return ura ? (e.wFlags & 0x0FF) == 0x0FF : (e.wFlags & 0x400) != 0;
    if (c <= 20)
        return (e.wFlags & (0x400 >> (c - 10))) != 0;
    if (c == 21)
        return ura ? (e.wFlags & 0x400) != 0 : e.byCategory == 0;
    return e.byCategory <= 10;
}

struct RadioLabel {
    int radio;
    std::string_view text;
};

} // namespace

void CVoicePlayer::ListEntries(DialogHost& dlg, int c) {
    for (const auto& e : m_pVoices)
        if (InCategory(e, c, m_bUraVoice))
            dlg.ListAdd(ctl::kClipList, e.pszText);
    if (!m_bUraVoice && m_anListDefault[static_cast<std::size_t>(c)] != -1)
        dlg.ListSetSel(ctl::kClipList, m_anListDefault[static_cast<std::size_t>(c)]);
}

void CVoicePlayer::ChangeCategory(DialogHost& dlg, int c) {
    if (c < 0 || c >= CATEGORY_COUNT)
        return; // no category radio is checked
    if (m_nListPlay > 0)
        StopSequence(dlg);
    dlg.ListReset(ctl::kClipList);

    if (m_nMode == MODE_NINSHIKI && c == CATEGORY_PROGRAMS) {
        dlg.ListAdd(ctl::kClipList, LoadStringId(ids::IDS_OTHER_FOLDER));
        // Programs run only on model 1; clips play on both models.
        const std::string folder = ProgramFolder();
        if (m_nTikoModel == 1)
            for (const auto& name : platform::ListFilesWithExtension(folder, "TM4"))
                dlg.ListAdd(ctl::kClipList, name);
        for (const auto& name : platform::ListFilesWithExtension(folder, "wav"))
            dlg.ListAdd(ctl::kClipList, name);
        dlg.ListSetSel(ctl::kClipList, 0);
    } else if (m_nMode == MODE_VOICE && !m_bUraVoice && c == CATEGORY_PLAY_LISTS) {
        const std::string folder = platform::JoinPath({m_strVoiceFolder, "play_list"});
        for (const auto& name : platform::ListFilesWithExtension(folder, "txt"))
            dlg.ListAdd(ctl::kClipList, name.substr(0, name.rfind('.')));
        if (dlg.ListCount(ctl::kClipList) == 1)
            dlg.ListSetSel(ctl::kClipList, 0);
    } else {
        ListEntries(dlg, c);
    }

    if (m_nMode == MODE_NINSHIKI && (m_nCategory == CATEGORY_PROGRAMS || c == CATEGORY_PROGRAMS)) {
        dlg.SetItemText(ctl::kPlay, c == CATEGORY_PROGRAMS && m_nTikoModel == 1 ? "実行" : "再生");
        dlg.EnableItem(ctl::kProgramOutput, c != CATEGORY_PROGRAMS);
    }
    if (m_nTargetCount <= 1)
        dlg.EnableItem(ctl::kListPlay, !(m_nMode == MODE_NINSHIKI && c >= 10 && c <= 20));
    else
        dlg.SetItemText(ctl::kPlay,
                        m_nMode == MODE_VOICE && c == CATEGORY_PLAY_LISTS ? "再生" : "全送信");
    m_nCategory = c;
}

void CVoicePlayer::ShowFirstCategory(DialogHost& dlg) {
    if (m_nListPlay > 0)
        StopSequence(dlg);
    dlg.ListReset(ctl::kClipList);
    ListEntries(dlg, 0);
    if (m_nMode == MODE_NINSHIKI && m_nCategory == CATEGORY_PROGRAMS) {
        dlg.SetItemText(ctl::kPlay, "再生");
        dlg.EnableItem(ctl::kProgramOutput, true);
    }
    if (m_nTargetCount < 2)
        dlg.EnableItem(ctl::kListPlay, true);
    else
        dlg.SetItemText(ctl::kPlay, "全送信");
    m_nCategory = 0;
}

bool CVoicePlayer::ChangeMode(int mode, DialogHost& dlg) {
    // Continuous play ends before the list changes.
    StopSequence(dlg);
    FreeVoices();
    if (!LoadVoiceCsv(mode))
        return false;
    LoadListDefaults(mode);
    ShowFirstCategory(dlg); // still with the previous mode

    const bool model2 = m_nTikoModel == 2;
    const std::string_view weather = (m_nVersion & 0x0C) ? "歌/早口言葉/天気" : "天気/歌/ダンス";
    std::array<RadioLabel, 11> labels;
    if (mode == MODE_NINSHIKI) {
        labels = {{{1005, "天気"},
                   {1006, "ロボット"},
                   {1007, "アクション"},
                   {1010, "状態"},
                   {1014, model2 ? "ボードゲーム" : "カルタ/川柳"},
                   {1017, "サッカー/掃除/ふりかけ"},
                   {1018, "留守番/伝言"},
                   {1019, "ティコウォーク"},
                   {1020, "オプションモード"},
                   {1021, model2 ? "音声" : "プログラム/音声"},
                   {1022, "その他"}}};
    } else if (m_bUraVoice) {
        labels = {{{1005, weather},
                   {1006, "ロボット/状態"},
                   {1007, model2 ? "アクション" : "誕生/アクション"},
                   {1010, "擬音"},
                   {1014, model2 ? "ボードゲーム" : "カルタ/川柳"},
                   {1017, "ラッキーアイテム"},
                   {1018, "クラフトマガジン"},
                   {1019, "コマーシャル"},
                   {1020, "甘えん坊"},
                   {1021, model2 ? "しりとり/早口言葉" : "ティコカート"},
                   {1022, "ミックス音声"}}};
    } else if (model2) {
        labels = {{{1005, weather},
                   {1006, "ロボット/状態"},
                   {1007, "アクション"},
                   {1010, "英語/独り言"},
                   {1014, "ボードゲーム"},
                   {1017, "登録"},
                   {1018, "留守番/伝言"},
                   {1019, "ティコウォーク"},
                   {1020, "ものまね/面白い事"},
                   {1021, "しりとり/早口言葉"},
                   {1022, "プレイリスト"}}};
    } else {
        labels = {{{1005, weather},
                   {1006, "ロボット/状態"},
                   {1007, "誕生/アクション"},
                   {1010, "英語"},
                   {1014, "カルタ/川柳"},
                   {1017, "誕生シーン"},
                   {1018, "留守番/テレビ操作"},
                   {1019, "伝言/おそうじモード"},
                   {1020, "脳天気/やんちゃ"},
                   {1021, "ティコカート"},
                   {1022, "プレイリスト"}}};
    }
    for (const auto& l : labels)
        dlg.SetItemText(l.radio, l.text);

    m_nMode = mode;

    dlg.EnableItem(Radio(18), mode == MODE_VOICE || model2 || (m_nVersion & 0x10));
    dlg.EnableItem(Radio(20), (mode == MODE_NINSHIKI && m_nConnectType != CONNECT_SOUND) ||
                                  (mode == MODE_VOICE && (model2 || (m_nVersion & 0x02))));
    dlg.EnableItem(Radio(10), model2);
    dlg.EnableItem(Radio(13), model2 || (m_nVersion & 0x08));
    return true;
}
