#include "core/voice_player.h"

#include "platform/dialog_host.h"

void CVoicePlayer::StopSequence(platform::DialogHost& dlg) {
    m_pPlayList.reset();
    m_nListPlay = 0;
    dlg.KillTimer(SEQUENCE_TIMER);
    dlg.EnableItem(ctl::kPlay, true);
    dlg.EnableItem(ctl::kStop, false);
}
