#include "platform/paths.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace platform;
using testsupport::TempDir;
using testsupport::WriteFile;
using Names = std::vector<std::string>;

namespace {
// Keeps the current folder, which a test may change, and restores it.
struct KeepCurrentFolder {
    fs::path old = fs::current_path();
    explicit KeepCurrentFolder(const std::string& now) { fs::current_path(now); }
    ~KeepCurrentFolder() { fs::current_path(old); }
};

// True when root is the mount point that holds the path: on the path's device,
// and either "/" or a folder whose parent lies on another device.
bool IsMountPointOf(const std::string& root, const std::string& path) {
    struct stat r = {}, p = {}, up = {};
    if (::stat(root.c_str(), &r) != 0 || ::stat(path.c_str(), &p) != 0 || r.st_dev != p.st_dev)
        return false;
    return root == "/" || (::stat((root + "..").c_str(), &up) == 0 && up.st_dev != r.st_dev);
}
} // namespace

// The vectors of tests/fixtures/vectors/paths.txt but the settings ones: cut,
// resolve, relative and exists below a data tree as copied from a Windows disk
// that is the current folder, list in its folder Prog, drive through a settings
// file, userdir in the environment given. The tree's file lies on the mount of
// every path below the tree, whatever its case, and of a relative path: the
// nearest mount point (its own), and a path below no existing folder is on "/".
TEST(Paths, VectorsSeparatorsAndMountRoots) {
    EXPECT_EQ(ToNativePath("\\\\voice\\ninshiki/口.wav"),
              testsupport::Native("//voice/ninshiki/口.wav"));
    EXPECT_EQ(JoinPath({"/base", "voice\\ninshiki", "nf01.wav"}),
              testsupport::Native("/base/voice/ninshiki/nf01.wav"));
    EXPECT_EQ(JoinPath({}), "");
    EXPECT_EQ(JoinPath({"a/", "", "b"}), testsupport::Native("a///b")); // as "%s\\%s" would give
    TempDir dir(true); // in memory where there is such a mount: not on that of "/"
    for (const char* name :
         {"Voice/NINSHIKI/nf01.WAV", "Voice/Catalog.csv", "ＡＢ.txt", "口パク.WAV"})
        WriteFile(dir / name, "");
    for (const char* folder : {"addon", "dup", "DUP", "Dup"})
        fs::create_directories(dir / folder);
    for (const char* name : {"b.TM4", "A.tm4", "c.Tm4", "a.tm4x", "d.wav", "tm4", "x.tm4.bak",
                             "e.old.TM4", ".tm4", "x.wav", "X.WAV", "X.wav", "y.wav", "W.wav"})
        WriteFile(dir / ("Prog/" + std::string(name)), "x");
    fs::create_directories(dir / "Prog/folder.tm4");
    if (!testsupport::WindowsBuild()) {
        fs::create_symlink("b.TM4", dir / "Prog/link.tm4");
        fs::create_symlink("missing.tm4", dir / "Prog/dangling.tm4");
    }
    const std::string ini = dir / "drives.ini";
    WriteFile(ini,
              "[Settings]\r\nE=/wrong\r\n[DRIVES]\r\n1=/mnt/1\r\nE=/media/me/CARD\r\nf=/mnt/f/\r\n"
              "G=\r\nW=\\srv\\share\r\n[Other]\r\nH=/mnt/h\r\n");
    KeepCurrentFolder keep(dir.Path());
    const char* const system = testsupport::WindowsBuild() ? "windows" : "posix";
    for (const auto& v : testsupport::Vectors("paths.txt")) {
        if (v[0] == "cut") {
            EXPECT_EQ(CutAtLastSeparator(v[1]), v[2]) << v[1];
            EXPECT_EQ(BaseName(v[1]), v[3]) << v[1];
        } else if (v[0] == "exists") {
            EXPECT_EQ(PathExists(dir / v[1]), v[2] == "yes") << v[1];
            EXPECT_EQ(PathExists(v[1]), v[2] == "yes") << v[1];
        } else if (v[0] == "resolve" && !testsupport::WindowsBuild()) {
            EXPECT_EQ(ResolvePath(dir / v[1]), dir / v[2]) << v[1];
        } else if (v[0] == "relative" && !testsupport::WindowsBuild()) {
            EXPECT_EQ(ResolvePath(v[1]), v[2]) << v[1];
        } else if (v[0] == "list" && (v[1] == "all" || v[1] == system)) {
            KeepCurrentFolder inProg(dir / "Prog");
            EXPECT_EQ(ListFilesWithExtension(v[2], v[3]), Names(v.begin() + 4, v.end())) << v[2];
        } else if (v[0] == "drive" && v[1] == system) {
            const auto resolved = v[3] == "@none" ? std::nullopt : std::optional(v[3]);
            EXPECT_EQ(ResolveDriveLetter(v[2], ini), resolved) << v[2];
            if (v[2].size() == 2 && v[2][1] == ':') {
                EXPECT_EQ(DriveRoot(v[2][0], ini), resolved) << v[2];
            }
        } else if (v[0] == "userdir" && v[1] == system) {
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
    EXPECT_EQ(ResolvePath(""), "");
    EXPECT_FALSE(PathExists(""));
    for (char letter : {'1', ':', '\0'})
        EXPECT_EQ(DriveRoot(letter, ini), std::nullopt) << letter;
    EXPECT_EQ(DriveRoot('E', dir / "missing.ini").has_value(), testsupport::WindowsBuild());

    const std::string file = fs::canonical(dir / "Voice/NINSHIKI/nf01.WAV").string();
    const std::string root = MountRootOf(dir / "Voice/NINSHIKI/nf01.WAV");
    ASSERT_TRUE(root.ends_with(kPathSeparator) && file.starts_with(root)) << root << file;
    EXPECT_EQ(MountRootOf(dir / "voice\\ninshiki\\NF01.wav"), root);
    EXPECT_EQ(MountRootOf(dir / "Voice/new/deeper/b.wav"), root);
    EXPECT_EQ(MountRootOf("not-there.txt"), root);
    EXPECT_EQ(MountRootOf(root), root);
    const std::string top = testsupport::WindowsBuild() ? "C:\\" : "/";
    EXPECT_EQ(MountRootOf(top), top);
    if (!testsupport::WindowsBuild()) {
        EXPECT_TRUE(IsMountPointOf(root, file)) << root;
        const std::string temp = fs::temp_directory_path().string();
        EXPECT_TRUE(IsMountPointOf(MountRootOf(temp), temp)) << MountRootOf(temp);
        EXPECT_EQ(MountRootOf("/voxlet-no-such-folder/x"), "/");
    }
}

// ---- executable folder and settings file ----

TEST(Paths, ExecutableFolderHoldsThisProgramAndTheSettings) {
    const std::string folder = ExecutableFolder(), exe = ExecutablePath();
    EXPECT_TRUE(fs::is_regular_file(exe) && folder.ends_with(kPathSeparator)) << folder;
    EXPECT_TRUE(testsupport::WindowsBuild() || exe == fs::read_symlink("/proc/self/exe")) << exe;
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
        const std::string demo =
            dir / (testsupport::WindowsBuild() ? "prefix/bin/demo/" : "prefix/share/voxlet/demo/");
        fs::create_directories(bin);
        if (v[2] == "1")
            WriteFile(bin + "Voxlet.ini", "beside");
        if (v[3] == "1")
            fs::create_directories(demo);
        if (v[4] == "1")
            WriteFile(demo + "Voxlet-demo.ini", "demo");
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
