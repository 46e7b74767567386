#include "ui/voxlet_dlg.h"

#include "export/program_output.h"
#include "platform/dialog_host.h"
#include "platform/dialog_template.h"
#include "resources/string_table.h"
#include "resources/templates.h"
#include "ui/about_dlg.h"
#include "ui/define_dlg.h"

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

CVoxletDlg::CVoxletDlg() : m_pPlayer(std::make_unique<CVoicePlayer>()) {}

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
    if (m_pPlayer)
        m_pPlayer->InitPlayer(dlg);
}

void CVoxletDlg::OnCommand(DialogHost& dlg, int id, int notification) {
    if (!m_pPlayer)
        return;
    if (id == ctl::kClipList && notification == platform::kNotifyDoubleClick) {
        m_pPlayer->PlaySelected(dlg);
        return;
    }
    if (notification != platform::kNotifyClicked)
        return;
    if (id >= ctl::kFirstCategory && id < ctl::kFirstCategory + CATEGORY_COUNT)
        OnCategory(dlg);
    else if (id == ctl::kModeNinshiki || id == ctl::kModeVoice)
        OnModeChange(dlg);
    else if (id == ctl::kPlay)
        m_pPlayer->PlaySelected(dlg);
    else if (id == ctl::kListPlay)
        m_pPlayer->StartSequence(dlg, SequenceKind::List);
    else if (id == ctl::kRandomPlay)
        m_pPlayer->StartSequence(dlg, SequenceKind::Random);
    else if (id == ctl::kStop)
        m_pPlayer->StopSequence(dlg);
    else if (id == ctl::kProgramOutput)
        OnProgramOutput(dlg);
    else if (id == ctl::kSettings)
        OnSettings(dlg);
    else if (id == platform::kIdCancel)
        dlg.EndDialog(platform::kIdCancel);
}

void CVoxletDlg::OnSysCommand(DialogHost&, int command) {
    if ((command & kSysCommandMask) == IDM_ABOUTBOX) {
        CAboutDlg about;
        platform::GetPrompts().RunModal(about);
    }
}

void CVoxletDlg::OnTimer(DialogHost& dlg, int) {
    // Every timer message drives the sequencer, whatever its id.
    if (m_pPlayer)
        m_pPlayer->OnSequenceTick(dlg);
}

void CVoxletDlg::OnVScroll(DialogHost&) {
    if (m_pPlayer)
        m_pPlayer->m_bVolumeChanged = true;
}

void CVoxletDlg::OnCategory(DialogHost& dlg) {
    UpdateData(dlg, true);
    m_pPlayer->ChangeCategory(dlg, m_nCategoryRadio);
}

void CVoxletDlg::OnProgramOutput(DialogHost& dlg) {
    ProgramOutput(*m_pPlayer, dlg);
}

void CVoxletDlg::OnModeChange(DialogHost& dlg) {
    UpdateData(dlg, true);
    if (m_nModeRadio < 0)
        return; // no mode radio is checked
    m_pPlayer->m_bUraVoice = false;
    if (m_pPlayer->ChangeMode(m_nModeRadio, dlg)) {
        m_nCategoryRadio = 0;
        UpdateData(dlg, false);
    }
}

void CVoxletDlg::OnSettings(DialogHost& dlg) {
    CVoicePlayer& p = *m_pPlayer;
    bool dataFolderChanged = false;
    {
        CDefineDlg settings(&p);
        const int result = platform::GetPrompts().RunModal(settings);
        dataFolderChanged = settings.DataFolderChanged();
        if (result != platform::kIdOk) {
            if (dataFolderChanged)
                ShowNewCatalogue(dlg);
            return;
        }
    }
    if (p.m_nMode == MODE_NINSHIKI) {
        if (p.m_nCategory == CATEGORY_PROGRAMS && p.m_nConnectType == CONNECT_SOUND) {
            // The program category means nothing on the PC route: leave it.
            dlg.EnableItem(ctl::kListPlay, true);
            dlg.EnableItem(ctl::kProgramOutput, true);
            dlg.CheckItem(ctl::kFirstCategory, true);
            dlg.CheckItem(ctl::kProgramRadio, false);
            p.ShowFirstCategory(dlg);
        }
        dlg.EnableItem(ctl::kProgramRadio,
                       p.m_nTikoModel != 1 && p.m_nConnectType != CONNECT_SOUND);
    }
    if (p.m_bVersionChanged || dataFolderChanged)
        ShowNewCatalogue(dlg);
}

void CVoxletDlg::ShowNewCatalogue(DialogHost& dlg) {
    CVoicePlayer& p = *m_pPlayer;
    p.m_bUraVoice = false;
    if (p.m_nCategory >= 0)
        dlg.CheckItem(ctl::kFirstCategory + p.m_nCategory, false);
    dlg.CheckItem(ctl::kFirstCategory, true);
    const bool model2 = p.m_nTikoModel == 2;
    dlg.EnableItem(ctl::kKarutaRadio, model2 || (p.m_nVersion & VOICE_SET_SORA2_DX));
    dlg.EnableItem(ctl::kTikoWalkRadio, model2 || (p.m_nVersion & VOICE_SET_TIKO_WALK));
    p.ChangeMode(p.m_nMode, dlg);
}

void CVoxletDlg::OnDestroy(DialogHost& dlg) {
    if (!m_pPlayer)
        return;
    m_pPlayer->SaveSettings(dlg);
    m_pPlayer.reset();
}
