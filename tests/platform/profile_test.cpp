// Private-profile access with the behaviour of the Windows private-profile
// functions: the vectors, failures and odd input.
#include "platform/profile.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;
using platform::ProfileReadInt;
using platform::ProfileReadString;
using platform::ProfileWriteString;
using testsupport::ReadFile;
using testsupport::WriteFile;
using Opt = std::optional<std::string>;

// The vectors of tests/fixtures/vectors/profile.txt: reads, integers and
// writes compared byte for byte ("@none": no file, "@folder": a folder in its
// place).
TEST(Profile, Vectors) {
    const auto vectors = testsupport::Vectors("profile.txt");
    ASSERT_GT(vectors.size(), 60u);
    testsupport::TempDir dir;
    const std::string path = dir / "test.ini";
    for (const auto& v : vectors) {
        SCOPED_TRACE(v[1]);
        fs::remove(path);
        if (v[1] == "@folder")
            fs::create_directory(path);
        else if (v[1] != "@none")
            WriteFile(path, v[0] == "int" ? "[S]\r\nk=" + v[1] + "\r\n" : v[1]);
        if (v[0] == "read") {
            EXPECT_EQ(ProfileReadString(v[2], v[3], v[4], std::stoul(v[5]), path), v[6])
                << v[2] << " " << v[3];
        } else if (v[0] == "refuse") {
            platform::ProfileWriteError error;
            EXPECT_FALSE(ProfileWriteString(v[2], v[3], v[4], path, &error));
            EXPECT_EQ(error.fault, v[5] == "LineBreak" ? platform::ProfileWriteFault::LineBreak
                                                       : platform::ProfileWriteFault::NotEncodable);
            EXPECT_EQ(fs::exists(path) ? ReadFile(path) : "@none", v[1]);
        } else if (v[0] == "int") {
            EXPECT_EQ(ProfileReadInt("S", "k", 77, path), std::stoi(v[2]));
        } else {
            auto opt = [](const std::string& f) { return f == "@none" ? Opt() : Opt(f); };
            for (std::size_t i = 2; i + 3 < v.size(); i += 3)
                ASSERT_TRUE(ProfileWriteString(v[i], opt(v[i + 1]), opt(v[i + 2]), path));
            EXPECT_EQ(fs::exists(path) ? ReadFile(path) : "@none", v.back());
        }
    }
}

TEST(Profile, WritesThatCannotBeMadeFail) {
    testsupport::TempDir dir;
    WriteFile(dir / "file", "x");
    fs::create_directory(dir / "folder.ini");
    std::vector<std::string> paths = {dir / "missing/t.ini", dir / "file/t.ini", dir / "folder.ini",
                                      std::string()};
    if (testsupport::MakeFifo(dir / "fifo.ini"))
        paths.push_back(dir / "fifo.ini");
    WriteFile(dir / "read-only.ini", "[S]\r\nk=old\r\n");
    if (testsupport::MakeReadOnly(dir / "read-only.ini"))
        paths.push_back(dir / "read-only.ini");
    if (testsupport::WindowsBuild())
        paths.push_back("q:\\t.ini"); // a drive that does not exist
    for (const std::string& path : paths) {
        platform::ProfileWriteError error;
        EXPECT_FALSE(ProfileWriteString("S", "k", "v", path, &error)) << path;
        EXPECT_EQ(error.fault, platform::ProfileWriteFault::System) << path;
        EXPECT_NE(error.systemText, "") << path;
    }
    EXPECT_EQ(ProfileReadString("S", "k", "d", 260, dir / "fifo.ini"), "d");
    EXPECT_EQ(ProfileReadString("S", "k", "d", 260, dir / "read-only.ini"), "old");
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

// A replaced file keeps its permission bits (POSIX) or hidden attribute
// (Windows), also while another program holds it open as fopen("rb") does,
// which on Windows refuses the rename.
TEST(Profile, WriteKeepsTheFileAlsoWhileItIsHeldOpen) {
    testsupport::TempDir dir;
    const std::string path = dir / "test.ini";
    WriteFile(path, "[S]\r\nk=1\r\n");
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    if (!testsupport::WindowsBuild())
        fs::permissions(path, perms);
    const bool hidden = testsupport::Hide(path);
    ASSERT_TRUE(ProfileWriteString("S", "k", "2", path));
    EXPECT_EQ(testsupport::Hidden(path), hidden);
    EXPECT_TRUE(testsupport::WindowsBuild() ||
                (fs::status(path).permissions() & fs::perms::mask) == perms);
    {
        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> other(std::fopen(path.c_str(), "rb"),
                                                                    std::fclose);
        platform::ProfileWriteError why;
        ASSERT_TRUE(other && ProfileWriteString("S", "k", "3", path, &why)) << why.systemText;
    }
    EXPECT_EQ(ReadFile(path), "[S]\r\nk=3\r\n");
}

// A symbolic link is followed, and one whose target is missing creates it.
TEST(Profile, WriteFollowsSymlinks) {
    testsupport::TempDir dir;
    const std::string path = dir / "test.ini";
    WriteFile(path, "[S]\r\nk=3\r\n");
    std::error_code error;
    fs::create_symlink(path, dir / "link.ini", error);
    if (error)
        GTEST_SKIP() << "no symbolic links here (Wine makes none): " << error.message();
    fs::create_symlink("new.ini", dir / "dangling.ini");
    ASSERT_TRUE(ProfileWriteString("S", "k", "4", dir / "link.ini"));
    ASSERT_TRUE(ProfileWriteString("S", "k", "5", dir / "dangling.ini"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini") && fs::is_symlink(dir / "dangling.ini"));
    EXPECT_EQ(ReadFile(path), "[S]\r\nk=4\r\n");
    EXPECT_EQ(ReadFile(dir / "new.ini"), "[S]\r\nk=5\r\n");
}

TEST(Profile, HookSeesSuccessfulKeyWritesOnly) {
    testsupport::TempDir dir;
    const std::string path = dir / "test.ini";
    using Call = std::tuple<std::string, std::string, std::string>;
    std::vector<Call> seen;
    const platform::ProfileWriteHook hook = [&](std::string_view s, std::string_view k,
                                                std::string_view v) {
        seen.emplace_back(s, k, v);
        EXPECT_EQ(ProfileReadString("App", "Key", "", 260, path),
                  "v"); // the file is written before
    };
    ASSERT_TRUE(ProfileWriteString(" App ", "Key", " v ", path, nullptr, hook));
    ASSERT_TRUE(ProfileWriteString("App", "Key2", Opt(), path, nullptr, hook));
    ASSERT_TRUE(ProfileWriteString("App", Opt(), Opt(), path, nullptr, hook));
    EXPECT_FALSE(ProfileWriteString("App", "k", "v", dir / "missing/x.ini", nullptr, hook));
    EXPECT_EQ(seen, (std::vector<Call>{{" App ", "Key", " v "}}));
}
