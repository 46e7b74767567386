// Every operation that writes files, failing at each call of the file seam in
// turn and in read-only folders and files: it shows its message, reports the
// failure, and leaves each file byte for byte as it was (the steps before the
// failing one as a clean run leaves them), with no temporary file behind.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "export/program_writer.h"
#include "platform/file_faults.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "resources/string_table.h"
#include "support/player_fixture.h"

namespace fs = std::filesystem;
using platform::FileCall;

namespace {

using Tree = std::map<std::string, std::string>; // relative path -> bytes ("/" for a folder)

struct Step {
    std::string file;              // written by the step
    int message;                   // shown when it fails (0: none)
    bool reports;                  // its failure makes the operation return false
    const char* section = nullptr; // a settings write: the key whose value stays in memory
    const char* key = nullptr;
    std::set<int> recovers = {EBUSY}; // errors of its temporary file it writes around
};

struct Row {
    const char* name;
    std::function<bool()> run;
    std::vector<Step> steps;
};

} // namespace

class FileFaultsTest : public PlayerTest {
protected:
    FileFaultsTest() : PlayerTest(true) {}
    void SetUp() override {
        PlayerTest::SetUp();
        // A model 2 robot (no player program) whose card is the folder "card".
        Settings("[SOUND]\r\nDEFAULT=50\r\nTIKO=2\r\n[REMOTE]\r\nREMOTE_DIR=" + (m_dir / "card/") +
                 "\r\n");
        Put("old.TM4", std::string(70000, 'p')); // more than one buffer of writes
        Put("card/ADDON/REMOTE.LOG", "old record");
        Put("card/ADDON/TEMP.wav", "old clip");
        PutWav("clip.wav");
        Put("prog.TM4", "program");
        Put("bin/Voxlet.ini", "[SOUND]\r\nDEFAULT=9\r\n");
        fs::create_directories(m_dir / "user");
        fs::create_directories(m_dir / "linked");
        fs::create_symlink("linked/new.TM4", m_dir / "link.TM4"); // dangling
        m_before = Snapshot();
    }
    void TearDown() override {
        platform::SetFileFaultPlan(nullptr);
        Modes(0777, 0666);
        PlayerTest::TearDown();
    }

    // Sends the file to the card folder at volume word 0.
    std::function<bool()> Send(const char* name) {
        return [=, this] { return Player().SendCardFile(RouteSend::File(m_dir / name, 0)); };
    }
    std::vector<Row> Rows() {
        auto exportTo = [this](const char* name, bool append) {
            return [=, this] {
                return WriteClipProgram(m_dir / name, "a.wav", 5, 1000, 0, append, Player());
            };
        };
        auto choose = [this](const char* name) { m_prompts->QueueChoice(m_dir / name); };
        const Step remoteDir{"Voxlet.ini", 128, false, "REMOTE", "REMOTE_DIR"},
            record{"card/ADDON/REMOTE.LOG", 108, true, nullptr, nullptr, {EBUSY, ENOSPC}};
        const Step tm4{"old.TM4", 112, true};
        return {
            {"export new", exportTo("new.TM4", false), {{"new.TM4", 112, true}}},
            {"export replace", exportTo("old.TM4", false), {tm4}},
            {"export append", exportTo("old.TM4", true), {tm4}},
            {"export through a link", exportTo("link.TM4", false), {{"linked/new.TM4", 112, true}}},
            {"setting",
             [this] { return Player().WriteSetting("SOUND", "DEFAULT", "7"); },
             {{"Voxlet.ini", 128, true, "SOUND", "DEFAULT"}}},
            {"voice folder",
             [=, this] { return choose("v/Ninshiki/NF01.wav"), Player().SelectVoiceFolder(); },
             {{"Voxlet.ini", 128, false, "SOUND", "VOICE_FOLDER"}}},
            {"remote file",
             [=, this] {
                 return choose("card/ADDON/REMOTE.LOG"), Player().SelectRemoteFile(), true;
             },
             {remoteDir}},
            {"card record",
             [this] { return Player().SendCardCommand(RouteSend::Record(1, 3, 0)); },
             {record, remoteDir}},
            {"clip copy",
             Send("clip.wav"),
             {{"card/ADDON/TEMP.wav", 126, true, nullptr, nullptr, {EBUSY, ENOSPC}},
              record,
              remoteDir}},
            {"program copy",
             Send("prog.TM4"),
             {{"card/ADDON/TEMP.TM4", 117, true, nullptr, nullptr, {EBUSY, ENOSPC}},
              record,
              remoteDir}},
            {"first start copies the settings",
             [this] {
                 return !platform::LocateSettingsFile({m_dir / "bin/", false, m_dir / "user/"})
                             .empty();
             },
             {{"user/Voxlet.ini", 0, false, nullptr, nullptr, {EINVAL}}}},
            {"create where nothing is",
             [this] { return platform::CreateWholeFile(m_dir / "user/new.ini", "new") == 0; },
             {{"user/new.ini", 0, true, nullptr, nullptr, {EINVAL}}}},
        };
    }

    Tree Snapshot() const {
        Tree tree;
        for (const auto& e : fs::recursive_directory_iterator(m_dir.Path()))
            tree[e.path().string().substr(m_dir.Path().size() + 1)] =
                e.is_symlink()     ? "-> " + fs::read_symlink(e.path()).string()
                : e.is_directory() ? "/"
                                   : testsupport::ReadFile(e.path());
        return tree;
    }
    void Restore() {
        Modes(0777, 0666);
        for (const auto& e : fs::directory_iterator(m_dir.Path()))
            fs::remove_all(e.path());
        for (const auto& [name, bytes] : m_before)
            bytes == "/"              ? (void)fs::create_directories(m_dir / name)
            : bytes.starts_with("->") ? fs::create_symlink(bytes.substr(3), m_dir / name)
                                      : testsupport::WriteFile(m_dir / name, bytes);
    }
    // The modes of every folder (the working folder too) and file.
    void Modes(mode_t folders, mode_t files) {
        ::chmod(m_dir.Path().c_str(), folders);
        for (const auto& e : fs::recursive_directory_iterator(m_dir.Path()))
            ::chmod(e.path().c_str(), e.is_directory() ? folders : files);
    }

    // What a run left: its result, the messages shown (ids and lines) and the files.
    struct Outcome {
        bool result;
        std::vector<int> shown;
        std::string text;
        Tree tree;
    };
    // Runs the row on a fresh player (no write was refused before this run);
    // what its construction shows is not the row's.
    Outcome Run(const Row& row) {
        m_player.reset();
        Player();
        m_log.clear();
        Outcome out{row.run(), {}, {}, {}};
        for (const auto& line : m_log)
            if (line.starts_with("message "))
                out.shown.push_back(std::stoi(line.substr(8))), out.text += line;
        out.tree = Snapshot();
        return out;
    }

    // Checks a run in which a write failed with error (faulted) or not; the
    // index of the failing step, -1 for none.
    int Check(const Row& row, const Outcome& out, bool faulted, int error) {
        if (!faulted) {
            EXPECT_TRUE(out.result) << out.text;
            EXPECT_EQ(out.shown, m_clean.shown);
            EXPECT_TRUE(out.tree == m_clean.tree) << "the files differ from a run without fault";
            return -1;
        }
        std::size_t k = 0;
        while (k < row.steps.size() &&
               out.shown !=
                   (row.steps[k].message ? std::vector{row.steps[k].message} : std::vector<int>{}))
            ++k;
        if (k == row.steps.size()) {
            ADD_FAILURE() << "no step shows what was shown: " << out.text;
            return -1;
        }
        EXPECT_EQ(out.result, !row.steps[k].reports);
        if (const Step& step = row.steps[k]; step.key) {
            // The message gives the reason.
            EXPECT_NE(out.text.find(std::strerror(error)), std::string::npos) << out.text;
            EXPECT_EQ(Player().ReadSetting(step.section, step.key, ""), m_cleanValue);
        }
        Tree expected = m_before;
        for (std::size_t i = 0; i < k; ++i)
            expected[row.steps[i].file] = m_clean.tree[row.steps[i].file];
        EXPECT_TRUE(out.tree == expected) << "files changed or gone";
        return static_cast<int>(k);
    }

    void RunTable();

    Tree m_before;
    Outcome m_clean;
    std::string m_cleanValue; // of the key of the row's settings write
};

// Every row with the file seam failing at each of its calls in turn (the nth
// call of a kind is its nth step's, which writes around the errors it
// recovers from: a clean run then), then in read-only folders (it fails at its
// first step) and read-only files (at its first step whose file exists). A
// clean run changes its steps' files and no other.
void FileFaultsTest::RunTable() {
    const struct {
        const char* name;
        FileCall call;
        int error;
    } kinds[] = {{"open", FileCall::Open, EACCES},
                 {"write", FileCall::Write, ENOSPC},
                 {"fsync", FileCall::Sync, EIO},
                 {"close", FileCall::Close, EIO},
                 {"rename", FileCall::Rename, EROFS},
                 {"rename refused", FileCall::Rename, EBUSY},
                 {"rename without RENAME_NOREPLACE", FileCall::Rename, EINVAL}};
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.name);
        m_clean = Run(row);
        ASSERT_TRUE(m_clean.result);
        Tree changed = m_before;
        for (const Step& step : row.steps)
            changed[step.file] = m_clean.tree[step.file];
        EXPECT_TRUE(m_clean.tree == changed) << "a clean run changed other files";
        for (const Step& step : row.steps)
            if (step.key)
                m_cleanValue = Player().ReadSetting(step.section, step.key, "");
        Restore();
        std::set<int> failed;
        for (const auto& [name, call, error] : kinds) {
            for (int n = 1;; ++n) {
                SCOPED_TRACE(testing::Message() << name << " #" << n);
                platform::FileFaultPlan plan{call, n, error};
                platform::SetFileFaultPlan(&plan);
                const Outcome out = Run(row);
                platform::SetFileFaultPlan(nullptr);
                const bool recovered = plan.hit && n <= static_cast<int>(row.steps.size()) &&
                                       row.steps[n - 1].recovers.count(error);
                failed.insert(Check(row, out, plan.hit && !recovered, error));
                Restore();
                if (!plan.hit)
                    break;
            }
        }
        EXPECT_EQ(failed.size(), row.steps.size() + 1) << "a step writes around the file seam";
        for (const bool folders : {true, false}) {
            SCOPED_TRACE(folders ? "read-only folders" : "read-only files");
            Modes(folders ? 0555 : 0777, folders ? 0666 : 0444);
            if (::faccessat(AT_FDCWD, (m_dir / (folders ? "." : "Voxlet.ini")).c_str(), W_OK,
                            AT_EACCESS) == 0)
                GTEST_SKIP() << "read-only modes do not apply to this user, who is not root";
            int expected = -1;
            for (std::size_t i = 0; i < row.steps.size() && expected < 0; ++i)
                if (folders || m_before.count(row.steps[i].file))
                    expected = static_cast<int>(i);
            const Outcome out = Run(row);
            const bool faulted = out.shown != m_clean.shown || out.tree != m_clean.tree;
            EXPECT_EQ(Check(row, out, faulted, EACCES), expected);
            Restore();
        }
    }
}

// As root, for whom permissions do not apply, the table runs as nobody (the
// owner of the files then) and root again after it.
TEST_F(FileFaultsTest, EveryWriteLosesNothingWhereverItFails) {
    if (::geteuid() != 0)
        return RunTable();
    ASSERT_EQ(::chown(m_dir.Path().c_str(), 65534, 65534), 0);
    for (const auto& e : fs::recursive_directory_iterator(m_dir.Path()))
        ASSERT_EQ(::lchown(e.path().c_str(), 65534, 65534), 0);
    ASSERT_EQ(::setegid(65534), 0) << "cannot become nobody";
    ASSERT_EQ(::seteuid(65534), 0) << "cannot become nobody";
    RunTable();
    ASSERT_EQ(::seteuid(0), 0);
    ASSERT_EQ(::setegid(0), 0);
}

// A settings file another instance makes while this one copies the first
// settings is kept: the copy goes in place only where nothing is.
TEST_F(FileFaultsTest, FirstStartKeepsASettingsFileMadeMeanwhile) {
    platform::FileFaultPlan plan;
    plan.before = [this](FileCall call) {
        if (call == FileCall::Rename)
            Put("user/Voxlet.ini", "[SOUND]\r\nDEFAULT=3\r\n");
    };
    platform::SetFileFaultPlan(&plan);
    EXPECT_EQ(platform::LocateSettingsFile({m_dir / "bin/", false, m_dir / "user/"}),
              m_dir / "user/Voxlet.ini");
    EXPECT_EQ(testsupport::ReadFile(m_dir / "user/Voxlet.ini"), "[SOUND]\r\nDEFAULT=3\r\n");
}

// In a private mount namespace: a card of 256 KiB holding an old 150 KiB clip,
// and the settings file and a program bind-mounted from it. A clip or record
// that fits in place is written, as is a setting; a clip that does not fit
// leaves no file, and a setting or program that does not leaves the old bytes,
// said to be possibly damaged.
TEST_F(FileFaultsTest, FullCardAndBindMountedSettings) {
    if (!std::getenv("VOXLET_PRIVATE_MOUNTS")) { // run again in a namespace of its own
        if (std::system("unshare -rm true") != 0)
            GTEST_SKIP() << "the system gives no private user and mount namespace (unshare -rm)";
        EXPECT_EQ(std::system(("VOXLET_PRIVATE_MOUNTS=1 unshare -rm " +
                               fs::read_symlink("/proc/self/exe").string() +
                               " --gtest_filter=FileFaultsTest.FullCard*")
                                  .c_str()),
                  0);
        return;
    }
    ASSERT_EQ(::mount("card", (m_dir / "card").c_str(), "tmpfs", 0, "size=256k"), 0);
    Put("card/ADDON/REMOTE.LOG", "old record");
    Put("card/ADDON/TEMP.wav", std::string(150 << 10, 'o'));
    ::chmod((m_dir / "card/ADDON/TEMP.wav").c_str(), 0640);
    Put("card/bound.ini", SettingsText());
    Put("card/bound.TM4", "old program");
    for (const auto& [from, to] :
         {std::pair{"card/bound.ini", "Voxlet.ini"}, std::pair{"card/bound.TM4", "old.TM4"}})
        ASSERT_EQ(::mount((m_dir / from).c_str(), (m_dir / to).c_str(), 0, MS_BIND, 0), 0);
    Put("clip.wav", std::string(150 << 10, 'n'));
    Put("big.wav", std::string(300 << 10, 'b'));
    auto run = [this](std::function<bool()> f) { return Run({"", f, {}}); };
    Outcome out =
        run([&] { return Send("clip.wav")() && Player().WriteSetting("SOUND", "DEFAULT", "7"); });
    EXPECT_TRUE(out.result);
    EXPECT_EQ(out.shown, std::vector<int>{});
    EXPECT_TRUE(out.tree["card/ADDON/TEMP.wav"] == out.tree["clip.wav"]) << "the clip's bytes";
    EXPECT_NE(out.tree["card/bound.ini"].find("DEFAULT=7"), std::string::npos);
    EXPECT_EQ(fs::status(m_dir / "card/ADDON/TEMP.wav").permissions(), fs::perms(0640));
    std::ofstream(m_dir / "card/fill") << out.tree["big.wav"]; // to the last byte
    out = run([this] { return Player().SendCardCommand(RouteSend::Record(1, 3, 0)); });
    EXPECT_TRUE(out.result);
    EXPECT_EQ(out.shown, std::vector<int>{}) << out.text;
    EXPECT_EQ(out.tree["card/ADDON/REMOTE.LOG"].size(), 16u);
    const std::string settings = out.tree["card/bound.ini"];
    out = run([this] { return Player().WriteSetting("SOUND", "DEFAULT", std::string(9000, '8')); });
    EXPECT_FALSE(out.result);
    EXPECT_EQ(out.shown, std::vector{128});
    EXPECT_NE(out.text.find(LoadStringId(ids::IDS_FILE_MAY_BE_DAMAGED)), std::string::npos)
        << out.text;
    EXPECT_EQ(out.tree["card/bound.ini"], settings);
    out = run([this] {
        return WriteClipProgram(m_dir / "old.TM4", "a.wav", 5, 600000, 0, false, Player());
    });
    EXPECT_FALSE(out.result);
    EXPECT_EQ(out.shown, (std::vector{112, 138}));
    EXPECT_EQ(out.tree["card/bound.TM4"], "old program");
    out = run(Send("big.wav"));
    EXPECT_FALSE(out.result);
    EXPECT_EQ(out.shown, std::vector{126});
    EXPECT_TRUE(fs::exists(m_dir / "card/ADDON/REMOTE.LOG"));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "card/ADDON"), {}), 1)
        << "a partial clip or a temporary file is left";
}
