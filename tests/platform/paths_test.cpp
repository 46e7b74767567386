#include "platform/paths.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace platform;
using testsupport::TempDir;
using testsupport::WriteFile;

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

std::string RealPath(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real)
        throw std::runtime_error("realpath failed: " + path);
    std::string result = real;
    std::free(real);
    return result;
}

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

TEST(Paths, NativeSeparatorIsSlash) {
    EXPECT_EQ(kPathSeparator, '/');
    EXPECT_TRUE(IsPathSeparator('/'));
    EXPECT_TRUE(IsPathSeparator('\\'));
    EXPECT_FALSE(IsPathSeparator(':'));
    EXPECT_FALSE(IsPathSeparator('a'));
}

TEST(Paths, ToNativePathTurnsEitherSeparator) {
    EXPECT_EQ(ToNativePath("voice\\ninshiki/nf01.wav"), "voice/ninshiki/nf01.wav");
    EXPECT_EQ(ToNativePath("\\\\x"), "//x");
    EXPECT_EQ(ToNativePath(""), "");
    EXPECT_EQ(ToNativePath("口パク.wav"), "口パク.wav");
}

TEST(Paths, JoinPathUsesTheNativeSeparator) {
    EXPECT_EQ(JoinPath({"a", "b"}), "a/b");
    EXPECT_EQ(JoinPath({"/base", "voice\\ninshiki", "nf01.wav"}), "/base/voice/ninshiki/nf01.wav");
    EXPECT_EQ(JoinPath({"single"}), "single");
    EXPECT_EQ(JoinPath({}), "");
}

TEST(Paths, JoinPathKeepsEmptyParts) {
    EXPECT_EQ(JoinPath({"", "x"}), "/x");
    EXPECT_EQ(JoinPath({"a", ""}), "a/");
    EXPECT_EQ(JoinPath({"a", "", "b"}), "a//b");
    EXPECT_EQ(JoinPath({"a/", "b"}), "a//b"); // as "%s\\%s" would give
}

TEST(Paths, CutAtLastSeparator) {
    EXPECT_EQ(CutAtLastSeparator("a\\b/c.wav"), "a\\b");
    EXPECT_EQ(CutAtLastSeparator("a/b\\c.wav"), "a/b");
    EXPECT_EQ(CutAtLastSeparator("c.wav"), "");
    EXPECT_EQ(CutAtLastSeparator("/c.wav"), "");
    EXPECT_EQ(CutAtLastSeparator("dir/"), "dir");
    EXPECT_EQ(CutAtLastSeparator(""), "");
}

TEST(Paths, BaseName) {
    EXPECT_EQ(BaseName("a\\b/c.wav"), "c.wav");
    EXPECT_EQ(BaseName("a/b\\c.wav"), "c.wav");
    EXPECT_EQ(BaseName("c.wav"), "c.wav");
    EXPECT_EQ(BaseName("dir/"), "");
    EXPECT_EQ(BaseName(""), "");
    EXPECT_EQ(BaseName("E:\\口パク.wav"), "口パク.wav");
}

// ---- ResolvePath / PathFileExists ----

TEST_F(ResolvePathTest, ExistingPathComesBackNative) {
    EXPECT_EQ(ResolvePath(m_dir / "Voice\\NINSHIKI\\nf01.WAV"), m_dir / "Voice/NINSHIKI/nf01.WAV");
}

TEST_F(ResolvePathTest, FallsBackToCaseInsensitiveComponents) {
    EXPECT_EQ(ResolvePath(m_dir / "voice\\Ninshiki\\NF01.wav"), m_dir / "Voice/NINSHIKI/nf01.WAV");
    EXPECT_EQ(ResolvePath(m_dir / "VOICE/catalog.CSV"), m_dir / "Voice/Catalog.csv");
    EXPECT_EQ(ResolvePath(m_dir / "vOICE"), m_dir / "Voice");
}

TEST_F(ResolvePathTest, KeepsTrailingAndDoubledSeparators) {
    EXPECT_EQ(ResolvePath(m_dir / "voice\\"), m_dir / "Voice/");
    EXPECT_EQ(ResolvePath(m_dir / "voice\\\\ninshiki"), m_dir / "Voice//NINSHIKI");
}

TEST_F(ResolvePathTest, UnmatchedComponentsKeepTheGivenSpelling) {
    // The existing parents are still found, so a new file lands in them.
    EXPECT_EQ(ResolvePath(m_dir / "ADDON\\remote.log"), m_dir / "addon/remote.log");
    EXPECT_EQ(ResolvePath(m_dir / "voice/NewFolder/New.wav"), m_dir / "Voice/NewFolder/New.wav");
    EXPECT_EQ(ResolvePath(m_dir / "Missing\\A\\b.txt"), m_dir / "Missing/A/b.txt");
}

TEST_F(ResolvePathTest, AFileIsNoFolder) {
    EXPECT_EQ(ResolvePath(m_dir / "voice/catalog.csv/x"), m_dir / "Voice/Catalog.csv/x");
}

TEST_F(ResolvePathTest, SeveralCaseMatchesTakeTheFirstInByteOrder) {
    fs::create_directories(m_dir / "dup");
    fs::create_directories(m_dir / "DUP");
    fs::create_directories(m_dir / "Dup");
    EXPECT_EQ(ResolvePath(m_dir / "dUP"), m_dir / "DUP");
    // An exact spelling wins over the others.
    EXPECT_EQ(ResolvePath(m_dir / "dup"), m_dir / "dup");
}

TEST_F(ResolvePathTest, FoldsAsciiOnly) {
    WriteFile(m_dir / "ＡＢ.txt", "");
    EXPECT_EQ(ResolvePath(m_dir / "ａｂ.txt"), m_dir / "ａｂ.txt"); // no full-width folding
    EXPECT_FALSE(PathFileExists(m_dir / "ａｂ.txt"));
    WriteFile(m_dir / "口パク.WAV", "");
    EXPECT_EQ(ResolvePath(m_dir / "口パク.wav"), m_dir / "口パク.WAV");
}

TEST_F(ResolvePathTest, RelativePathsResolveAgainstTheCurrentFolder) {
    CurrentFolder inside(m_dir.Path());
    EXPECT_EQ(ResolvePath("voice\\Ninshiki\\NF01.wav"), "Voice/NINSHIKI/nf01.WAV");
    EXPECT_EQ(ResolvePath(".\\voice\\Ninshiki\\NF01.wav"), "./Voice/NINSHIKI/nf01.WAV");
    EXPECT_EQ(ResolvePath("voice/../ADDON"), "Voice/../addon");
    EXPECT_EQ(ResolvePath("ADDON/remote.log"), "addon/remote.log");
    EXPECT_TRUE(PathFileExists("voice\\ninshiki\\nf01.wav"));
}

TEST_F(ResolvePathTest, EmptyPath) {
    EXPECT_EQ(ResolvePath(""), "");
    EXPECT_FALSE(PathFileExists(""));
}

TEST_F(ResolvePathTest, PathFileExists) {
    EXPECT_TRUE(PathFileExists(m_dir / "Voice/NINSHIKI/nf01.WAV"));
    EXPECT_TRUE(PathFileExists(m_dir / "voice\\Ninshiki\\NF01.wav"));
    EXPECT_TRUE(PathFileExists(m_dir / "VOICE")); // folders too
    EXPECT_TRUE(PathFileExists(m_dir / "Addon\\"));
    EXPECT_FALSE(PathFileExists(m_dir / "voice\\ninshiki\\nf02.wav"));
    EXPECT_FALSE(PathFileExists(m_dir / "nothing/at/all"));
}

// ---- ListFilesWithExtension ----

TEST(ListFilesWithExtension, MatchesCaseInsensitivelyAndSorts) {
    TempDir dir;
    for (const char* name :
         {"b.TM4", "A.tm4", "c.Tm4", "a.tm4x", "d.wav", "tm4", "x.tm4.bak", "e.old.TM4", ".tm4"})
        WriteFile(dir / ("Prog/" + std::string(name)), "x");
    fs::create_directories(dir / "Prog/folder.tm4");              // a folder is no file
    fs::create_symlink("b.TM4", dir / "Prog/link.tm4");           // followed
    fs::create_symlink("missing.tm4", dir / "Prog/dangling.tm4"); // nothing behind it
    const std::vector<std::string> expected = {".tm4",  "A.tm4",     "b.TM4",
                                               "c.Tm4", "e.old.TM4", "link.tm4"};
    EXPECT_EQ(ListFilesWithExtension(dir / "prog", "TM4"), expected);
    EXPECT_EQ(ListFilesWithExtension(dir / "PROG\\", "tm4"), expected);
    EXPECT_EQ(ListFilesWithExtension(dir / "Prog", ".tm4"), expected);
    EXPECT_EQ(ListFilesWithExtension(dir / "Prog", "*.Tm4"), expected);
    EXPECT_EQ(ListFilesWithExtension(dir / "Prog", "wav"), std::vector<std::string>{"d.wav"});
    EXPECT_EQ(ListFilesWithExtension(dir / "Prog", "txt"), std::vector<std::string>{});
}

TEST(ListFilesWithExtension, TiesWithoutCaseAreOrderedByBytes) {
    TempDir dir;
    for (const char* name : {"x.wav", "X.WAV", "X.wav", "y.wav", "W.wav"})
        WriteFile(dir / name, "");
    const std::vector<std::string> expected = {"W.wav", "X.WAV", "X.wav", "x.wav", "y.wav"};
    EXPECT_EQ(ListFilesWithExtension(dir.Path(), "wav"), expected);
}

TEST(ListFilesWithExtension, MissingFolderGivesNothing) {
    TempDir dir;
    EXPECT_TRUE(ListFilesWithExtension(dir / "missing", "wav").empty());
    WriteFile(dir / "file.wav", "");
    EXPECT_TRUE(ListFilesWithExtension(dir / "file.wav", "wav").empty());
}

TEST(ListFilesWithExtension, EmptyFolderNameIsTheCurrentFolder) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    CurrentFolder inside(dir.Path());
    EXPECT_EQ(ListFilesWithExtension("", "TXT"), std::vector<std::string>{"a.txt"});
}

// ---- executable folder and settings file ----

TEST(Paths, ExecutableFolderHoldsThisProgram) {
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(folder.front(), '/');
    const std::string exe = fs::read_symlink("/proc/self/exe").string();
    EXPECT_EQ(folder + std::string(BaseName(exe)), exe);
}

TEST(Paths, SettingsFileBesideTheExecutableUnlessOverridden) {
    EXPECT_EQ(SettingsFilePath(), ExecutableFolder() + "Voxlet.ini");
    SetSettingsPathOverride("/tmp/other/Voxlet.ini");
    EXPECT_EQ(SettingsFilePath(), "/tmp/other/Voxlet.ini");
    SetSettingsPathOverride(std::nullopt);
    EXPECT_EQ(SettingsFilePath(), ExecutableFolder() + "Voxlet.ini");
}

// ---- drive letters ----

class DriveTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(m_ini, "[Settings]\r\n"
                         "E=/wrong\r\n"
                         "[DRIVES]\r\n"
                         "E=/media/me/CARD\r\n"
                         "f=/mnt/f/\r\n"
                         "G=\r\n"
                         "W=\\srv\\share\r\n"
                         "[Other]\r\n"
                         "H=/mnt/h\r\n");
    }
    TempDir m_dir;
    std::string m_ini = m_dir / "Voxlet.ini";
};

TEST_F(DriveTest, MappedLettersGetATrailingSeparator) {
    EXPECT_EQ(DriveRoot('E', m_ini), "/media/me/CARD/");
    EXPECT_EQ(DriveRoot('F', m_ini), "/mnt/f/");
    EXPECT_EQ(DriveRoot('W', m_ini), "/srv/share/");
}

TEST_F(DriveTest, LettersMatchWithoutCase) {
    EXPECT_EQ(DriveRoot('e', m_ini), "/media/me/CARD/");
    EXPECT_EQ(DriveRoot('f', m_ini), "/mnt/f/");
}

TEST_F(DriveTest, UnmappedEmptyOrInvalidLetters) {
    EXPECT_EQ(DriveRoot('G', m_ini), std::nullopt); // empty value
    EXPECT_EQ(DriveRoot('H', m_ini), std::nullopt); // another section
    EXPECT_EQ(DriveRoot('Z', m_ini), std::nullopt);
    EXPECT_EQ(DriveRoot('1', m_ini), std::nullopt);
    EXPECT_EQ(DriveRoot(':', m_ini), std::nullopt);
    EXPECT_EQ(DriveRoot('\0', m_ini), std::nullopt);
    EXPECT_EQ(DriveRoot('E', m_dir / "missing.ini"), std::nullopt);
}

TEST_F(DriveTest, ResolveDriveLetterReplacesTheLetter) {
    EXPECT_EQ(ResolveDriveLetter("E:\\VOICE\\a.wav", m_ini), "/media/me/CARD/VOICE/a.wav");
    EXPECT_EQ(ResolveDriveLetter("e:/VOICE/a.wav", m_ini), "/media/me/CARD/VOICE/a.wav");
    EXPECT_EQ(ResolveDriveLetter("E:\\", m_ini), "/media/me/CARD/");
    EXPECT_EQ(ResolveDriveLetter("E:", m_ini), "/media/me/CARD/");
    EXPECT_EQ(ResolveDriveLetter("F:\\x", m_ini), "/mnt/f/x");
}

TEST_F(DriveTest, ResolveDriveLetterOfAnUnmappedLetterFails) {
    EXPECT_EQ(ResolveDriveLetter("Z:\\VOICE\\a.wav", m_ini), std::nullopt);
    EXPECT_EQ(ResolveDriveLetter("G:", m_ini), std::nullopt);
}

TEST_F(DriveTest, PathsWithoutADriveLetterComeBackUnchanged) {
    EXPECT_EQ(ResolveDriveLetter("voice\\a.wav", m_ini), "voice\\a.wav");
    EXPECT_EQ(ResolveDriveLetter("/abs/E:/x", m_ini), "/abs/E:/x");
    EXPECT_EQ(ResolveDriveLetter("E:foo", m_ini), "E:foo"); // no separator after the colon
    EXPECT_EQ(ResolveDriveLetter("1:\\x", m_ini), "1:\\x");
    EXPECT_EQ(ResolveDriveLetter("E", m_ini), "E");
    EXPECT_EQ(ResolveDriveLetter("", m_ini), "");
}

// ---- mount roots ----

TEST(MountRootOf, IsAPrefixOfAnExistingPath) {
    TempDir dir;
    WriteFile(dir / "Card/VOICE/a.wav", "x");
    const std::string real = RealPath(dir.Path()) + "/Card/VOICE/a.wav";
    const std::string root = MountRootOf(dir / "Card/VOICE/a.wav");
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(root.back(), '/');
    EXPECT_EQ(real.compare(0, root.size(), root), 0) << root << " is not a prefix of " << real;
    // The folder, a case-insensitive spelling and a missing file below it lie on
    // the same mount.
    EXPECT_EQ(MountRootOf(dir / "Card"), root);
    EXPECT_EQ(MountRootOf(dir / "card\\voice\\A.WAV"), root);
    EXPECT_EQ(MountRootOf(dir / "Card/VOICE/new/deeper/b.wav"), root);
}

TEST(MountRootOf, RootAndRelativePaths) {
    EXPECT_EQ(MountRootOf("/"), "/");
    TempDir dir;
    CurrentFolder inside(dir.Path());
    EXPECT_EQ(MountRootOf("not-there.txt"), MountRootOf(dir.Path()));
    EXPECT_EQ(MountRootOf("."), MountRootOf(dir.Path()));
}

TEST(MountRootOf, FindsASeparateMount) {
    struct stat rootStat;
    struct stat procStat;
    if (stat("/", &rootStat) != 0 || stat("/proc", &procStat) != 0 ||
        rootStat.st_dev == procStat.st_dev)
        GTEST_SKIP() << "/proc is not a separate mount here";
    EXPECT_EQ(MountRootOf("/proc/self/status"), "/proc/");
    EXPECT_EQ(MountRootOf("/proc"), "/proc/");
}
