#include "export/program_output.h"

#include <cstdint>
#include <string>

#include "core/voice_player.h"
#include "export/program_writer.h"
#include "platform/dialog_host.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "resources/labels.h"
#include "resources/string_table.h"

namespace {

// 32-bit signed arithmetic: a product that leaves the range wraps.
int Wrap32(std::int64_t value) {
    return static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

// The pause after a single clip: what is left of the play interval after the
// clip, or the interval margin when no play interval is set; never negative.
int ClipPause(const CVoicePlayer& player, const VoiceEntry& entry) {
    int pause = 0;
    const PlayerSettings& settings = player.Settings();
    if (settings.defaultInterval != 0)
        pause = Wrap32(std::int64_t{settings.defaultInterval} * 1000 -
                       std::int64_t{entry.nSeconds} * 1000);
    else
        pause = settings.intervalMargin;
    return pause < 0 ? 0 : pause;
}

} // namespace

void ProgramOutput(const CVoicePlayer& player, platform::DialogHost& dlg) {
    platform::Prompts& prompts = *player.GetServices().prompts;
    const int selection = dlg.ListGetSel(ctl::kClipList);
    if (selection < 0) {
        ShowOkMessage(prompts, ids::IDS_SELECT_CLIP, platform::MsgIcon::None);
        return;
    }
    // The whole list text, however long: it names the file and the program.
    const std::string text = dlg.ListGetText(ctl::kClipList, selection);
    const bool playList = player.PlayListsShowing();

    platform::FileDialogSpec spec;
    spec.defaultExt = "TM4";
    spec.initialName = text;
    spec.filter = filters::kPrograms;
    spec.hideReadOnly = true;
    spec.overwritePrompt = playList;
    spec.title = LoadStringId(ids::IDS_SAVE_PROGRAM_TITLE);
    spec.folder = player.ProgramFolder(); // where the program category lists programs
    const auto chosen = prompts.FileSave(spec);
    if (!chosen)
        return;
    // An existing file is found whatever the letter case of its name.
    const std::string programPath = platform::ResolvePath(*chosen);

    if (playList) {
        const std::string listPath =
            platform::ResolvePath(PlayListPath(player.Settings().voiceFolder, text));
        WritePlayListProgram(programPath, player, listPath);
        return;
    }

    bool append = false;
    if (platform::PathExists(programPath)) {
        append = true;
        platform::MessageStyle style;
        style.buttons = platform::MsgButtons::YesNo;
        style.icon = platform::MsgIcon::Question;
        if (ShowMessage(prompts, ids::IDS_PROGRAM_APPEND, style) == platform::kIdNo)
            append = false;
    }

    // Looked up after the question: its message loop may have changed the table.
    const VoiceEntry* found = player.FindEntryByText(text);
    if (!found)
        return;
    const VoiceEntry entry = *found;
    const std::string clipPath =
        (player.ClipList().mode == MODE_NINSHIKI ? std::string("Ninshiki\\") : std::string())
            .append(entry.rawFile);
    WriteClipProgram(programPath, clipPath, entry.nSoundId,
                     Wrap32(std::int64_t{entry.nSeconds} * 1000), ClipPause(player, entry), append,
                     player);
}
