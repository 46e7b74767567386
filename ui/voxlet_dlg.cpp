#include "ui/voxlet_dlg.h"

#include <string>
#include <vector>

#include "export/program_output.h"
#include "platform/dialog_host.h"
#include "platform/dialog_template.h"
#include "resources/string_table.h"
#include "resources/templates.h"
#include "ui/about_dlg.h"
#include "ui/define_dlg.h"
#include "ui/play_list_dlg.h"

using platform::DialogHost;

namespace {

// A system-menu command's low four bits are the system's own.
constexpr int kSysCommandMask = 0xFFF0;

// Value of the radio group that holds radio `first`: the position of the
// checked radio among the group's radios, -1 when none is checked.
int ReadRadioGroup(const DialogHost& dlg, int first) {
    int index = 0;
    for (const auto& c : platform::RadioGroupSpan(MainDialogTemplate(), first)) {
        if (c.kind != platform::ControlKind::Radio)
            continue;
        if (dlg.IsItemChecked(c.id))
            return index;
        ++index;
    }
    return -1;
}

void WriteRadioGroup(DialogHost& dlg, int first, int value) {
    int index = 0;
    for (const auto& c : platform::RadioGroupSpan(MainDialogTemplate(), first)) {
        if (c.kind != platform::ControlKind::Radio)
            continue;
        dlg.CheckItem(c.id, index == value);
        ++index;
    }
}

} // namespace

CVoxletDlg::CVoxletDlg(const Services& services)
    : m_services(services), m_player(std::make_unique<CVoicePlayer>(services)) {}

CVoxletDlg::~CVoxletDlg() = default;

const platform::DialogTemplate& CVoxletDlg::Template() const {
    return MainDialogTemplate();
}

void CVoxletDlg::UpdateData(DialogHost& dlg, bool save) {
    if (save) {
        m_nModeRadio = ReadRadioGroup(dlg, ctl::kModeNinshiki);
        m_nCategoryRadio = ReadRadioGroup(dlg, ctl::kFirstCategory);
    } else {
        WriteRadioGroup(dlg, ctl::kModeNinshiki, m_nModeRadio);
        WriteRadioGroup(dlg, ctl::kFirstCategory, m_nCategoryRadio);
    }
}

void CVoxletDlg::OnInitDialog(DialogHost& dlg) {
    UpdateData(dlg, false);
    if (auto about = LoadStringId(ids::IDS_ABOUTBOX); !about.empty())
        dlg.AppendSystemMenuItem(IDM_ABOUTBOX, about);
    dlg.AppendSystemMenuItem(IDM_PLAY_LIST_EDITOR, LoadStringId(ids::IDS_PLAY_LIST_EDITOR),
                             kPlayListEditorKey);
    if (m_player)
        m_player->InitPlayer(dlg);
}

void CVoxletDlg::OnCommand(DialogHost& dlg, int id, int notification) {
    if (!m_player)
        return;
    if (id == ctl::kClipList && notification == platform::kNotifyDoubleClick) {
        m_player->PlaySelected(dlg);
        return;
    }
    if (id == ctl::kFindBox) {
        OnFindBox(dlg, notification);
        return;
    }
    if (notification != platform::kNotifyClicked)
        return;
    if (id >= ctl::kFirstCategory && id < ctl::kFirstCategory + CATEGORY_COUNT)
        OnCategory(dlg);
    else if (id == ctl::kModeNinshiki || id == ctl::kModeVoice)
        OnModeChange(dlg);
    else if (id == ctl::kPlay)
        m_player->PlaySelected(dlg);
    else if (id == ctl::kListPlay)
        m_player->StartSequence(dlg, SequenceKind::List);
    else if (id == ctl::kRandomPlay)
        m_player->StartSequence(dlg, SequenceKind::Random);
    else if (id == ctl::kStop)
        m_player->StopSequence(dlg);
    else if (id == ctl::kProgramOutput)
        OnProgramOutput(dlg);
    else if (id == ctl::kSettings)
        OnSettings(dlg);
    else if (id == platform::kIdCancel)
        dlg.EndDialog(platform::kIdCancel);
}

void CVoxletDlg::OnSysCommand(DialogHost& dlg, int command) {
    if ((command & kSysCommandMask) == IDM_ABOUTBOX) {
        CAboutDlg about;
        m_services.prompts->RunModal(about);
    } else if ((command & kSysCommandMask) == IDM_PLAY_LIST_EDITOR && m_player) {
        CPlayListDlg editor(*m_player, dlg);
        if (editor.LoadClips())
            m_services.prompts->RunModal(editor);
    }
}

void CVoxletDlg::OnTimer(DialogHost& dlg, int) {
    // Every timer message drives the sequencer, whatever its id.
    if (m_player)
        m_player->OnSequenceTick(dlg);
}

void CVoxletDlg::OnVScroll(DialogHost&) {
    if (m_player)
        m_player->OnVolumeMoved();
}

void CVoxletDlg::OnCategory(DialogHost& dlg) {
    UpdateData(dlg, true);
    m_player->ChangeCategory(dlg, m_nCategoryRadio);
}

void CVoxletDlg::OnFindBox(DialogHost& dlg, int notification) {
    if (notification == platform::kNotifyEditChange) {
        m_player->FindClips(dlg, dlg.GetItemText(ctl::kFindBox));
    } else if (notification == platform::kNotifyEnterKey) {
        if (dlg.ListGetSel(ctl::kClipList) < 0 && dlg.ListCount(ctl::kClipList) > 0)
            dlg.ListSetSel(ctl::kClipList, 0);
        m_player->PlaySelected(dlg);
    } else if (notification == platform::kNotifyEscapeKey) {
        // Esc in a box that holds text empties it; otherwise it closes, as
        // Esc anywhere in the window does.
        if (m_player->Finding())
            m_player->FindClips(dlg, "");
        else
            dlg.EndDialog(platform::kIdCancel);
    }
}

void CVoxletDlg::OnProgramOutput(DialogHost& dlg) {
    ProgramOutput(*m_player, dlg);
}

void CVoxletDlg::OnModeChange(DialogHost& dlg) {
    UpdateData(dlg, true);
    if (m_nModeRadio < 0)
        return; // no mode radio is checked
    if (m_player->ChangeMode(m_nModeRadio, dlg)) {
        m_nCategoryRadio = 0;
        UpdateData(dlg, false);
    }
}

void CVoxletDlg::OnSettings(DialogHost& dlg) {
    CVoicePlayer& p = *m_player;
    bool voiceSetsChanged = false;
    bool dataFolderChanged = false;
    const int routeBefore = p.Settings().route;
    const std::vector<std::string> cardsBefore = p.Targets().hosts;
    {
        CDefineDlg settings(p);
        const int result = m_services.prompts->RunModal(settings);
        dataFolderChanged = settings.DataFolderChanged();
        if (result != platform::kIdOk) {
            if (dataFolderChanged)
                ShowNewCatalogue(dlg);
            return;
        }
        voiceSetsChanged = settings.VoiceSetsChanged();
    }
    const PlayerSettings& stored = p.Settings();
    const int mode = p.ClipList().mode;
    const int category = p.ClipList().category;
    if (mode == MODE_NINSHIKI) {
        if (category == CATEGORY_PROGRAMS && stored.route == CONNECT_SOUND) {
            // The program category means nothing on the PC route: leave it.
            dlg.EnableItem(ctl::kListPlay, true);
            dlg.EnableItem(ctl::kProgramOutput, true);
            dlg.CheckItem(ctl::kFirstCategory, true);
            dlg.CheckItem(ctl::kProgramRadio, false);
            p.ShowFirstCategory(dlg);
        }
        p.EnableCategoryRadios(dlg, RadioRefresh::SettingsClosed);
    }
    if (p.Settings().route != routeBefore || p.Targets().hosts != cardsBefore)
        p.LabelRouteButtons(dlg);
    if (voiceSetsChanged || dataFolderChanged)
        ShowNewCatalogue(dlg);
}

void CVoxletDlg::ShowNewCatalogue(DialogHost& dlg) {
    CVoicePlayer& p = *m_player;
    if (p.ClipList().category >= 0)
        dlg.CheckItem(ctl::kFirstCategory + p.ClipList().category, false);
    dlg.CheckItem(ctl::kFirstCategory, true);
    p.EnableCategoryRadios(dlg, RadioRefresh::NewCatalogue);
    p.ChangeMode(p.ClipList().mode, dlg);
}

void CVoxletDlg::OnDestroy(DialogHost& dlg) {
    if (!m_player)
        return;
    m_player->SaveSettings(dlg);
    m_player.reset();
}
