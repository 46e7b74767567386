// The program category's list of the program folder (the scenario
// clip_list_flags holds which catalogue rows each category lists).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "support/player_fixture.h"

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The folder's regular files (links followed) with the extension, in any
// letter case, sorted without regard to case: written apart from the
// player's own listing, so that both cannot share a fault.
std::vector<std::string> FilesIn(const fs::path& folder, const std::string& ext) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file(error) && Lower(entry.path().extension().string()) == ext)
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
    return names;
}

} // namespace

TEST_F(PlayerTest, ProgramCategoryListsTheProgramFolder) {
    PutWav("voice/Ninshiki/NF01.wav");
    Put("Ninshiki.csv", "h\n");
    Settings("[REMOTE]\nCONNECT_TYPE=1\n");
    // Decoys in the current folder: an empty program folder is not it.
    Put("here.TM4", "");
    Put("here.wav", "");
    // Programs before clips, each sorted without regard to case; only the
    // last extension counts, in any case; folders are left out.
    for (const char* name : {"b.TM4", "A.tm4", "a.wav", "C.WAV", "a.tm4x", "x.tm4.bak", "tm4"})
        Put(std::string("progs/") + name, "");
    fs::create_directories(m_dir / "progs/folder.wav");
    InitedPlayer();

    const std::string other = "他フォルダー(フォルダー変更)";
    // What a file chosen in the root leaves behind: its files are sent as
    // "/NAME", so the root is listed.
    std::vector<std::string> root{other};
    for (const char* ext : {".tm4", ".wav"})
        for (const auto& name : FilesIn("/", ext))
            root.push_back(name);
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", root},
        {m_dir / "progs", {other, "A.tm4", "b.TM4", "a.wav", "C.WAV"}},
    };
    for (const auto& [folder, lines] : cases) {
        Settings("[REMOTE]\nCONNECT_TYPE=1\nPROGRAM_FOLDER=" + folder + "\n");
        Player().ChangeCategory(Dialog(), 20);
        EXPECT_EQ(ListLines(), lines) << folder;
    }
}
