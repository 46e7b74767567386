#include "core/voice_player.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/find_fold.h"
#include "platform/dialog_host.h"
#include "platform/paths.h"
#include "resources/labels.h"
#include "resources/string_table.h"

using platform::DialogHost;

namespace {

// Whether an entry belongs to category index c in the entry listing.
bool InCategory(const VoiceEntry& e, int c, bool ura) {
    if (c < CATEGORY_FIRST_FLAG)
        return e.byCategory == c + 1;
    if (c == CATEGORY_FIRST_FLAG)
        return ura ? (e.wFlags & VOICE_FLAGS_HIDDEN_PHOTO_MAIL) == VOICE_FLAGS_HIDDEN_PHOTO_MAIL
                   : (e.wFlags & VOICE_FLAG_FIRST_CATEGORY) != 0;
    if (c <= CATEGORY_PROGRAMS)
        return (e.wFlags & (VOICE_FLAG_FIRST_CATEGORY >> (c - CATEGORY_FIRST_FLAG))) != 0;
    if (c == CATEGORY_PLAY_LISTS)
        return ura ? (e.wFlags & VOICE_FLAG_FIRST_CATEGORY) != 0 : e.byCategory == 0;
    return e.byCategory <= LAST_CATEGORY_NUMBER;
}

struct RadioLabel {
    int radio;
    std::string_view text;
};
using ModeLabels = std::array<RadioLabel, 11>;

// The labels of the radios that a mode change relabels; the other radios keep
// theirs.
ModeLabels LabelsForMode(int mode, bool ura, bool model2, unsigned version) {
    using namespace ctl;
    using namespace labels;
    const std::string_view weather = (version & (VOICE_SET_SORA2 | VOICE_SET_SORA2_DX))
                                         ? kSongsTwistersWeather
                                         : kWeatherSongsDance;
    const std::string_view karuta = model2 ? kBoardGame : kKarutaSenryu;
    if (mode == MODE_NINSHIKI)
        return {{
            {kWeatherRadio, kWeather},
            {kRobotRadio, kRobot},
            {kActionRadio, kAction},
            {kStateRadio, kState},
            {kKarutaRadio, karuta},
            {kSoccerRadio, kSoccerCleaningFurikake},
            {kHouseSittingRadio, kHouseMessages},
            {kTikoWalkRadio, kTikoWalk},
            {kOptionRadio, kOptionMode},
            {kProgramRadio, model2 ? kVoice : kProgramsVoice},
            {kPlayListRadio, kOther},
        }};
    if (ura)
        return {{
            {kWeatherRadio, weather},
            {kRobotRadio, kRobotState},
            {kActionRadio, model2 ? kAction : kBirthAction},
            {kStateRadio, kSoundEffects},
            {kKarutaRadio, karuta},
            {kSoccerRadio, kLuckyItem},
            {kHouseSittingRadio, kCraftMagazine},
            {kTikoWalkRadio, kCommercial},
            {kOptionRadio, kSpoiltChild},
            {kProgramRadio, model2 ? kWordChainTwisters : kTikoCart},
            {kPlayListRadio, kMixedVoices},
        }};
    if (model2)
        return {{
            {kWeatherRadio, weather},
            {kRobotRadio, kRobotState},
            {kActionRadio, kAction},
            {kStateRadio, kEnglishMonologue},
            {kKarutaRadio, kBoardGame},
            {kSoccerRadio, kRegistration},
            {kHouseSittingRadio, kHouseMessages},
            {kTikoWalkRadio, kTikoWalk},
            {kOptionRadio, kImpressionsFunny},
            {kProgramRadio, kWordChainTwisters},
            {kPlayListRadio, kPlayList},
        }};
    return {{
        {kWeatherRadio, weather},
        {kRobotRadio, kRobotState},
        {kActionRadio, kBirthAction},
        {kStateRadio, kEnglish},
        {kKarutaRadio, kKarutaSenryu},
        {kSoccerRadio, kBirthScene},
        {kHouseSittingRadio, kHouseTvControl},
        {kTikoWalkRadio, kMessagesCleaning},
        {kOptionRadio, kCarefreeNaughty},
        {kProgramRadio, kTikoCart},
        {kPlayListRadio, kPlayList},
    }};
}

} // namespace

void CVoicePlayer::ListEntries(DialogHost& dlg, int c) {
    for (const auto& e : m_catalogue.entries)
        if (InCategory(e, c, m_catalogue.hidden))
            dlg.ListAdd(ctl::kClipList, e.pszText);
    if (!m_catalogue.hidden && m_settings.listDefaults[static_cast<std::size_t>(c)] != -1)
        dlg.ListSetSel(ctl::kClipList, m_settings.listDefaults[static_cast<std::size_t>(c)]);
}

void CVoicePlayer::ListFoundEntries(DialogHost& dlg) {
    // The categories whose radios can show rows now: the model, the voice
    // sets and the route have enabled them, and they list catalogue rows.
    std::vector<int> categories;
    for (int c = CATEGORY_COUNT - 1; c >= 0; --c) {
        const bool listsFiles =
            (m_view.mode == MODE_NINSHIKI && c == CATEGORY_PROGRAMS) ||
            (m_view.mode == MODE_VOICE && !m_catalogue.hidden && c == CATEGORY_PLAY_LISTS);
        if (!listsFiles && dlg.IsItemEnabled(ctl::kFirstCategory + c))
            categories.push_back(c);
    }
    m_view.found.clear();
    std::vector<std::string_view> texts;
    for (std::size_t i = 0; i < m_catalogue.entries.size(); ++i) {
        const VoiceEntry& e = m_catalogue.entries[i];
        if (!std::any_of(categories.begin(), categories.end(),
                         [&](int c) { return InCategory(e, c, m_catalogue.hidden); }))
            continue;
        if (!EntryHoldsFind(e, m_view.find))
            continue;
        m_view.found.push_back(i);
        texts.push_back(e.pszText);
    }
    dlg.ListAddAll(ctl::kClipList, texts);
}

void CVoicePlayer::ChangeCategory(DialogHost& dlg, int c) {
    if (c < 0 || c >= CATEGORY_COUNT)
        return; // no category radio is checked
    EndFind(dlg);
    FillList(dlg, c);
}

void CVoicePlayer::FillList(DialogHost& dlg, int c) {
    if (m_sequence.kind != SequenceKind::None)
        StopSequence(dlg);
    dlg.ListReset(ctl::kClipList);
    const int shown = m_view.category;
    m_view.category = c;

    if (m_view.mode == MODE_NINSHIKI && c == CATEGORY_PROGRAMS) {
        dlg.ListAdd(ctl::kClipList, LoadStringId(ids::IDS_OTHER_FOLDER));
        // Programs run only on model 1; clips play on both models.
        const std::string folder = ProgramFolder();
        if (m_settings.model == 1)
            for (const auto& name : platform::ListFilesWithExtension(folder, "TM4"))
                dlg.ListAdd(ctl::kClipList, name);
        for (const auto& name : platform::ListFilesWithExtension(folder, "wav"))
            dlg.ListAdd(ctl::kClipList, name);
        dlg.ListSetSel(ctl::kClipList, 0);
    } else if (PlayListsShowing()) {
        ListPlayLists(dlg);
    } else if (Finding()) {
        ListFoundEntries(dlg);
    } else {
        ListEntries(dlg, c);
    }

    if (m_view.mode == MODE_NINSHIKI && (shown == CATEGORY_PROGRAMS || c == CATEGORY_PROGRAMS)) {
        dlg.SetItemText(ctl::kPlay, c == CATEGORY_PROGRAMS && m_settings.model == 1
                                        ? labels::kRun
                                        : labels::kPlay);
        dlg.EnableItem(ctl::kProgramOutput, c != CATEGORY_PROGRAMS);
    }
    ShowPlayButtons(dlg, c);
}

void CVoicePlayer::ShowPlayButtons(DialogHost& dlg, int c) {
    if (!SeveralFlashAirCards())
        dlg.EnableItem(ctl::kListPlay, !(m_view.mode == MODE_NINSHIKI && c >= CATEGORY_FIRST_FLAG &&
                                         c <= CATEGORY_PROGRAMS));
    else
        dlg.SetItemText(ctl::kPlay, m_view.mode == MODE_VOICE && c == CATEGORY_PLAY_LISTS
                                        ? labels::kPlay
                                        : labels::kSendToAll);
}

void CVoicePlayer::LabelRouteButtons(DialogHost& dlg) {
    const bool several = SeveralFlashAirCards();
    dlg.SetItemText(ctl::kContinuousGroup, several ? labels::kSendEach : labels::kContinuousPlay);
    dlg.SetItemText(ctl::kListPlay, several ? labels::kSendFirst : labels::kListPlay);
    dlg.SetItemText(ctl::kRandomPlay, several ? labels::kSendSecond : labels::kRandomPlay);
    const int c = m_view.category;
    if (c < 0)
        return; // no category shown yet
    // Single sends need button 4 in every category; button 3 gets back the
    // text its category gives it.
    if (several)
        dlg.EnableItem(ctl::kListPlay, true);
    else
        dlg.SetItemText(ctl::kPlay, m_view.mode == MODE_NINSHIKI && c == CATEGORY_PROGRAMS &&
                                            m_settings.model == 1
                                        ? labels::kRun
                                        : labels::kPlay);
    ShowPlayButtons(dlg, c);
}

bool CVoicePlayer::PlayListsShowing() const {
    return m_view.mode == MODE_VOICE && !m_catalogue.hidden &&
           m_view.category == CATEGORY_PLAY_LISTS;
}

void CVoicePlayer::ShowFirstCategory(DialogHost& dlg) {
    EndFind(dlg);
    if (m_sequence.kind != SequenceKind::None)
        StopSequence(dlg);
    dlg.ListReset(ctl::kClipList);
    ListEntries(dlg, 0);
    if (m_view.mode == MODE_NINSHIKI && m_view.category == CATEGORY_PROGRAMS) {
        dlg.SetItemText(ctl::kPlay, labels::kPlay);
        dlg.EnableItem(ctl::kProgramOutput, true);
    }
    if (!SeveralFlashAirCards())
        dlg.EnableItem(ctl::kListPlay, true);
    else
        dlg.SetItemText(ctl::kPlay, labels::kSendToAll);
    m_view.category = 0;
}

bool CVoicePlayer::ChangeMode(int mode, DialogHost& dlg) {
    m_catalogue.hidden = false;
    return LoadMode(mode, dlg);
}

bool CVoicePlayer::LoadMode(int mode, DialogHost& dlg) {
    // Continuous play and finding end before the list changes (the found
    // rows are rows of the catalogue that goes).
    StopSequence(dlg);
    EndFind(dlg);
    FreeVoices();
    if (!LoadVoiceCsv(mode))
        return false;
    LoadListDefaults(mode);
    ShowFirstCategory(dlg); // still with the previous mode

    const bool model2 = m_settings.model == 2;
    for (const auto& label : LabelsForMode(mode, m_catalogue.hidden, model2, m_settings.voiceSets))
        dlg.SetItemText(label.radio, label.text);

    m_view.mode = mode;
    EnableCategoryRadios(dlg, RadioRefresh::ModeShown);
    return true;
}

void CVoicePlayer::EnableCategoryRadios(DialogHost& dlg, RadioRefresh when) {
    const bool model2 = m_settings.model == 2;
    const bool voiceMode = m_view.mode == MODE_VOICE;
    const bool robotRoute = m_settings.route != CONNECT_SOUND;
    // On purpose the program radio can stay disabled on a robot route until
    // the next mode change, in two cases: OK in the settings dialog enables it
    // only for a model other than 1, and at start it is set from the stored
    // route before the recognition check, whose switch to FlashAir it misses.
    if (when == RadioRefresh::SettingsClosed) {
        dlg.EnableItem(ctl::kProgramRadio, m_settings.model != 1 && robotRoute);
        return;
    }
    dlg.EnableItem(ctl::kKarutaRadio, model2 || (m_settings.voiceSets & VOICE_SET_SORA2_DX));
    // Before a reload the walk radio follows the model and voice sets alone;
    // the mode's rule comes with the catalogue.
    const bool walkByMode = voiceMode && when == RadioRefresh::ModeShown;
    dlg.EnableItem(ctl::kTikoWalkRadio,
                   walkByMode || model2 || (m_settings.voiceSets & VOICE_SET_TIKO_WALK));
    if (when == RadioRefresh::NewCatalogue)
        return;
    dlg.EnableItem(ctl::kProgramRadio,
                   voiceMode ? model2 || (m_settings.voiceSets & VOICE_SET_TIKO_CART) : robotRoute);
    dlg.EnableItem(ctl::kPhotoMailRadio, model2);
}
