#include "platform/paths.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

namespace fs = std::filesystem;
using namespace platform;
using testsupport::TempDir;
using testsupport::WriteFile;
using Names = std::vector<std::string>;

namespace {

// Runs the test body in another current folder and restores the old one.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& path) : m_old(fs::current_path()) {
        fs::current_path(path);
    }
    ~CurrentFolder() { fs::current_path(m_old); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    fs::path m_old;
};

// A data tree as copied from a Windows disk.
class ResolvePathTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(m_dir / "Voice/NINSHIKI/nf01.WAV", "wav");
        WriteFile(m_dir / "Voice/Catalog.csv", "csv");
        fs::create_directories(m_dir / "addon");
    }
    TempDir m_dir;
};

} // namespace

// ---- separators and the portable helpers ----

TEST(Paths, SeparatorsJoinsAndCuts) {
    EXPECT_EQ(ToNativePath("\\\\voice\\ninshiki/口.wav"),
              testsupport::Native("//voice/ninshiki/口.wav"));
    EXPECT_EQ(JoinPath({"/base", "voice\\ninshiki", "nf01.wav"}),
              testsupport::Native("/base/voice/ninshiki/nf01.wav"));
    EXPECT_EQ(JoinPath({}), "");
    EXPECT_EQ(JoinPath({"a/", "", "b"}), testsupport::Native("a///b")); // as "%s\\%s" would give
    for (const auto& v : testsupport::Vectors("paths.txt")) {
        if (v[0] != "cut")
            continue;
        EXPECT_EQ(CutAtLastSeparator(v[1]), v[2]) << v[1];
        EXPECT_EQ(BaseName(v[1]), v[3]) << v[1];
    }
}

// ---- ResolvePath / PathExists ----

// The resolve and exists vectors of tests/fixtures/vectors/paths.txt.
TEST_F(ResolvePathTest, ResolvesWithoutRegardToCaseAndComesBackNative) {
    fs::create_directories(m_dir / "dup");
    fs::create_directories(m_dir / "DUP");
    fs::create_directories(m_dir / "Dup");
    WriteFile(m_dir / "ＡＢ.txt", "");
    WriteFile(m_dir / "口パク.WAV", "");
    for (const auto& v : testsupport::Vectors("paths.txt")) {
        if (v[0] == "exists") {
            EXPECT_EQ(PathExists(m_dir / v[1]), v[2] == "yes") << v[1];
        } else if (v[0] == "resolve" && !testsupport::WindowsBuild()) {
            EXPECT_EQ(ResolvePath(m_dir / v[1]), m_dir / v[2]) << v[1];
        }
    }
    EXPECT_EQ(ResolvePath(""), "");
    EXPECT_FALSE(PathExists(""));
}

TEST_F(ResolvePathTest, RelativePathsResolveAgainstTheCurrentFolder) {
    if (testsupport::WindowsBuild())
        GTEST_SKIP() << "the Windows file system ignores letter case itself";
    CurrentFolder inside(m_dir.Path());
    EXPECT_EQ(ResolvePath(".\\voice\\Ninshiki\\NF01.wav"), "./Voice/NINSHIKI/nf01.WAV");
    EXPECT_EQ(ResolvePath("voice/../ADDON"), "Voice/../addon");
    EXPECT_EQ(ResolvePath("ADDON/remote.log"), "addon/remote.log");
    EXPECT_TRUE(PathExists("voice\\ninshiki\\nf01.wav"));
}

// ---- ListFilesWithExtension ----

TEST(ListFilesWithExtension, MatchesCaseInsensitivelyAndSorts) {
    TempDir dir;
    for (const char* name : {"b.TM4", "A.tm4", "c.Tm4", "a.tm4x", "d.wav", "tm4", "x.tm4.bak",
                             "e.old.TM4", ".tm4", "x.wav", "X.WAV", "X.wav", "y.wav", "W.wav"})
        WriteFile(dir / ("Prog/" + std::string(name)), "x");
    fs::create_directories(dir / "Prog/folder.tm4"); // a folder is no file
    // "a.tm4x" has the 8.3 name "A~1.TM4" on Windows, which must not match.
    Names expected = {".tm4", "A.tm4", "b.TM4", "c.Tm4", "e.old.TM4"};
    if (!testsupport::WindowsBuild()) {                               // symbolic links: POSIX only
        fs::create_symlink("b.TM4", dir / "Prog/link.tm4");           // followed
        fs::create_symlink("missing.tm4", dir / "Prog/dangling.tm4"); // nothing behind it
        expected.push_back("link.tm4");
    }
    EXPECT_EQ(ListFilesWithExtension(dir / "prog", "TM4"), expected);
    EXPECT_EQ(ListFilesWithExtension(dir / "PROG\\", ".tm4"), expected);
    EXPECT_EQ(ListFilesWithExtension(dir / "Prog", "*.Tm4"), expected);
    // Ties without case are ordered by bytes.
    // (On Windows names differing only in case are one file, the first spelling.)
    EXPECT_EQ(ListFilesWithExtension(dir / "Prog", "wav"),
              testsupport::WindowsBuild()
                  ? (Names{"d.wav", "W.wav", "x.wav", "y.wav"})
                  : (Names{"d.wav", "W.wav", "X.WAV", "X.wav", "x.wav", "y.wav"}));
    // A missing folder or a file gives nothing; "" is the current folder.
    EXPECT_TRUE(ListFilesWithExtension(dir / "missing", "wav").empty());
    EXPECT_TRUE(ListFilesWithExtension(dir / "Prog/d.wav", "wav").empty());
    CurrentFolder inside(dir / "Prog");
    EXPECT_EQ(ListFilesWithExtension("", "BAK"), Names{"x.tm4.bak"});
}

// ---- executable folder and settings file ----

TEST(Paths, ExecutableFolderHoldsThisProgramAndTheSettings) {
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), kPathSeparator);
    const std::string exe = ExecutablePath();
    EXPECT_TRUE(fs::is_regular_file(exe)) << exe;
    if (!testsupport::WindowsBuild()) {
        EXPECT_EQ(exe, fs::read_symlink("/proc/self/exe").string());
    }
    EXPECT_EQ(folder + std::string(BaseName(exe)), exe);
    EXPECT_EQ(SettingsFilePath(), folder + "Voxlet.ini");
}

// The settings vectors of tests/fixtures/vectors/paths.txt.
TEST(Paths, SettingsFileRule) {
    for (const auto& v : testsupport::Vectors("paths.txt")) {
        if (v[0] != "settings")
            continue;
        SCOPED_TRACE(v[1]);
        TempDir dir;
        const std::string bin = dir / "prefix/bin/", user = dir / "config/voxlet/";
        fs::create_directories(bin);
        if (v[2] == "1")
            WriteFile(bin + "Voxlet.ini", "beside");
        if (v[3] == "1")
            fs::create_directories(dir / "prefix/share/voxlet/demo");
        if (v[4] == "1")
            WriteFile(dir / "prefix/share/voxlet/demo/Voxlet-demo.ini", "demo");
        if (v[6] == "1")
            WriteFile(user + "Voxlet.ini", "own");
        const std::string path = LocateSettingsFile({bin, v[5] == "1", user});
        EXPECT_EQ(path, (v[7] == "beside" ? bin : user) + "Voxlet.ini");
        EXPECT_EQ(fs::exists(path) ? testsupport::ReadFile(path) : "@none", v[8]);
        EXPECT_EQ(fs::is_directory(user), v[7] == "user");
    }
    // A copy that cannot be renamed into place leaves no temporary file.
    TempDir dir;
    WriteFile(dir / "bin/Voxlet.ini", "beside");
    fs::create_directories(dir / "user/Voxlet.ini/x");
    LocateSettingsFile({dir / "bin/", false, dir / "user/"});
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "user"), {}), 1); // the folder alone
}

// The userdir vectors of tests/fixtures/vectors/paths.txt.
TEST(Paths, UserSettingsFolderFollowsXdgOrAppData) {
    for (const auto& v : testsupport::Vectors("paths.txt")) {
        if (v[0] != "userdir" || (v[1] == "windows") != testsupport::WindowsBuild())
            continue;
        std::map<std::string, std::string> env;
        std::istringstream pairs(v[2]);
        for (std::string pair; std::getline(pairs, pair, ';');)
            env[pair.substr(0, pair.find('='))] = pair.substr(pair.find('=') + 1);
        const auto lookup = [&env](const char* name) -> const char* {
            const auto it = env.find(name);
            return it == env.end() ? nullptr : it->second.c_str();
        };
        EXPECT_EQ(UserSettingsFolder(lookup), v[3]) << v[2];
    }
}

// ---- drive letters ----

TEST(DriveLetters, MapThroughTheDrivesSection) {
    TempDir dir;
    const std::string ini = dir / "Voxlet.ini";
    if (testsupport::WindowsBuild()) {
        // Real drives; the settings file maps nothing.
        WriteFile(ini, "[DRIVES]\r\nE=C:\\elsewhere\r\n");
        EXPECT_EQ(DriveRoot('E', ini), "E:\\");
        EXPECT_EQ(DriveRoot(':', ini), std::nullopt);
        EXPECT_EQ(ResolveDriveLetter("e:/VOICE/a.wav", ini), "e:\\VOICE\\a.wav");
        EXPECT_EQ(ResolveDriveLetter("voice/a.wav", ini), "voice/a.wav");
        GTEST_SKIP() << "drive letters map through the settings file on POSIX only";
    }
    WriteFile(ini, "[Settings]\r\nE=/wrong\r\n[DRIVES]\r\nE=/media/me/CARD\r\nf=/mnt/f/\r\nG=\r\n"
                   "W=\\srv\\share\r\n[Other]\r\nH=/mnt/h\r\n");
    for (const auto& v : testsupport::Vectors("paths.txt")) {
        if (v[0] != "drive")
            continue;
        const auto resolved = v[2] == "@none" ? std::nullopt : std::optional(v[2]);
        EXPECT_EQ(ResolveDriveLetter(v[1], ini), resolved) << v[1];
        if (v[1].size() == 2 && v[1][1] == ':') {
            EXPECT_EQ(DriveRoot(v[1][0], ini), resolved) << v[1];
        }
    }
    for (char letter : {'1', ':', '\0'})
        EXPECT_EQ(DriveRoot(letter, ini), std::nullopt) << letter;
    EXPECT_EQ(DriveRoot('E', dir / "missing.ini"), std::nullopt);
}

// ---- mount roots ----

TEST(MountRootOf, IsAPrefixOfAnExistingPath) {
    TempDir dir;
    WriteFile(dir / "Card/VOICE/a.wav", "x");
    const std::string realPath = fs::canonical(dir / "Card/VOICE/a.wav").string();
    const std::string root = MountRootOf(dir / "Card/VOICE/a.wav");
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(root.back(), kPathSeparator);
    EXPECT_TRUE(realPath.starts_with(root)) << root << " is not a prefix of " << realPath;
    // The folder, a case-insensitive spelling and a missing file below it lie on
    // the same mount; so do relative paths.
    EXPECT_EQ(MountRootOf(dir / "card\\voice\\A.WAV"), root);
    EXPECT_EQ(MountRootOf(dir / "Card/VOICE/new/deeper/b.wav"), root);
    const std::string top = testsupport::WindowsBuild() ? "C:\\" : "/";
    EXPECT_EQ(MountRootOf(top), top);
    CurrentFolder inside(dir.Path());
    EXPECT_EQ(MountRootOf("not-there.txt"), root);
}
