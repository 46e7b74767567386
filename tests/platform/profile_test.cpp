// Private-profile access with the behaviour of the Windows private-profile
// functions: the vectors, failures and odd input.
#include "platform/profile.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;
using platform::ProfileReadInt;
using platform::ProfileReadString;
using platform::ProfileWriteString;
using testsupport::ReadFile;
using testsupport::WriteFile;
using Opt = std::optional<std::string>;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    std::string Get(const std::string& section, const std::string& key,
                    const std::string& def = "default", std::size_t buffer = 260) {
        return ProfileReadString(section, key, def, buffer, m_path);
    }
    bool Set(const std::string& section, const Opt& key, const Opt& value,
             const std::string& path = "") {
        return ProfileWriteString(section, key, value, path.empty() ? m_path : path, nullptr,
                                  m_onWritten);
    }
    testsupport::TempDir m_dir;
    platform::ProfileWriteHook m_onWritten;
    std::string m_path = m_dir / "test.ini";
};

} // namespace

// The vectors of tests/fixtures/vectors/profile.txt: reads, integers and
// writes compared byte for byte.
TEST_F(ProfileTest, Vectors) {
    const auto vectors = testsupport::Vectors("profile.txt");
    ASSERT_GT(vectors.size(), 60u);
    for (const auto& v : vectors) {
        SCOPED_TRACE(v[1]);
        fs::remove(m_path);
        if (v[0] == "read") {
            WriteFile(m_path, v[1]);
            EXPECT_EQ(Get(v[2], v[3], v[4], std::stoul(v[5])), v[6]) << v[2] << " " << v[3];
        } else if (v[0] == "refuse") {
            if (v[1] != "@none")
                WriteFile(m_path, v[1]);
            platform::ProfileWriteError error;
            EXPECT_FALSE(ProfileWriteString(v[2], v[3], v[4], m_path, &error));
            EXPECT_EQ(error.fault, v[5] == "LineBreak" ? platform::ProfileWriteFault::LineBreak
                                                       : platform::ProfileWriteFault::NotEncodable);
            EXPECT_EQ(fs::exists(m_path) ? ReadFile(m_path) : "@none", v[1]);
        } else if (v[0] == "int") {
            WriteFile(m_path, "[S]\r\nk=" + v[1] + "\r\nnovalue\r\n");
            EXPECT_EQ(ProfileReadInt("S", "k", 77, m_path), std::stoi(v[2]));
            EXPECT_EQ(ProfileReadInt("S", "novalue", 5, m_path), 5);
        } else {
            if (v[1] != "@none")
                WriteFile(m_path, v[1]);
            auto opt = [](const std::string& f) { return f == "@none" ? Opt() : Opt(f); };
            for (std::size_t i = 2; i + 3 < v.size(); i += 3)
                ASSERT_TRUE(Set(v[i], opt(v[i + 1]), opt(v[i + 2])));
            EXPECT_EQ(ReadFile(m_path), v.back());
        }
    }
    EXPECT_EQ(ProfileReadString("s", "k", "d  ", 260, m_dir / "none.ini"), "d");
    EXPECT_EQ(ProfileReadString("s", "k", "d", 260, m_dir.Path()), "d"); // a folder
    EXPECT_EQ(ProfileReadInt("S", "k", 7, m_dir / "none.ini"), 7);
    ASSERT_TRUE(Set("S", "a", Opt(), m_dir / "none.ini"));
    EXPECT_FALSE(fs::exists(m_dir / "none.ini"));
}

TEST_F(ProfileTest, WritesThatCannotBeMadeFail) {
    WriteFile(m_dir / "file", "x");
    fs::create_directory(m_dir / "folder.ini");
    std::vector<std::string> paths = {m_dir / "missing/t.ini", m_dir / "file/t.ini",
                                      m_dir / "folder.ini", std::string()};
    if (testsupport::MakeFifo(m_dir / "fifo.ini"))
        paths.push_back(m_dir / "fifo.ini");
    WriteFile(m_dir / "read-only.ini", "[S]\r\nk=old\r\n");
    if (testsupport::MakeReadOnly(m_dir / "read-only.ini"))
        paths.push_back(m_dir / "read-only.ini");
    if (testsupport::WindowsBuild())
        paths.push_back("q:\\t.ini"); // a drive that does not exist
    for (const std::string& path : paths) {
        platform::ProfileWriteError error;
        EXPECT_FALSE(ProfileWriteString("S", "k", "v", path, &error)) << path;
        EXPECT_EQ(error.fault, platform::ProfileWriteFault::System) << path;
        EXPECT_NE(error.systemText, "") << path;
    }
    EXPECT_EQ(ProfileReadString("S", "k", "d", 260, m_dir / "fifo.ini"), "d");
    EXPECT_EQ(ProfileReadString("S", "k", "d", 260, m_dir / "read-only.ini"), "old");
    EXPECT_FALSE(fs::exists(m_dir / "missing"));
}

TEST_F(ProfileTest, WriteKeepsPermissionsAndFollowsSymlinks) {
    if (testsupport::WindowsBuild())
        GTEST_SKIP() << "POSIX permission bits and symbolic links";
    WriteFile(m_path, "[S]\r\nk=1\r\n");
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(m_path, perms);
    fs::create_symlink(m_path, m_dir / "link.ini");
    ASSERT_TRUE(Set("S", "k", "3", m_dir / "link.ini"));
    EXPECT_EQ(fs::status(m_path).permissions() & fs::perms::mask, perms);
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.ini"));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nk=3\r\n");
}

TEST_F(ProfileTest, HookSeesSuccessfulKeyWritesOnly) {
    using Call = std::tuple<std::string, std::string, std::string>;
    std::vector<Call> seen;
    m_onWritten = [&](std::string_view s, std::string_view k, std::string_view v) {
        seen.emplace_back(s, k, v);
        EXPECT_EQ(Get("App", "Key"), "v"); // the file is written before
    };
    ASSERT_TRUE(Set(" App ", "Key", " v "));
    ASSERT_TRUE(Set("App", "Key2", Opt()));
    ASSERT_TRUE(Set("App", Opt(), Opt()));
    EXPECT_FALSE(Set("App", "k", "v", m_dir / "missing/x.ini"));
    EXPECT_EQ(seen, (std::vector<Call>{{" App ", "Key", " v "}}));
}
