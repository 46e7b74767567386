// Private-profile access with the behaviour of the Windows private-profile
// functions: reads, integers, byte-exact writes, failures and odd input.
#include "platform/profile.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;
using platform::GetPrivateProfileInt;
using platform::GetPrivateProfileString;
using platform::WritePrivateProfileString;
using testsupport::Cp932Crlf;
using testsupport::ReadFile;
using testsupport::WriteFile;
using Opt = std::optional<std::string>;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void TearDown() override { platform::SetProfileWriteHook(nullptr); }
    std::string Get(const std::string& section, const std::string& key,
                    const std::string& def = "default", std::size_t buffer = 260) {
        return GetPrivateProfileString(section, key, def, buffer, m_path);
    }
    bool Set(const std::string& section, const Opt& key, const Opt& value,
             const std::string& path = "") {
        return WritePrivateProfileString(section, key, value, path.empty() ? m_path : path);
    }
    testsupport::TempDir m_dir;
    std::string m_path = m_dir / "test.ini";
};

} // namespace

TEST_F(ProfileTest, ReadVectors) {
    const std::string f1 = "[section1]\nname1=val1\r\nname2=\"val2\"\rname3\nname4=a\n[section2]\n";
    const struct {
        std::string file, section, key, def;
        std::size_t buffer;
        std::string expected;
    } cases[] = {
        // Names match without case; any line end; quotes stripped; defaults.
        {f1, "SECTION1", "NaMe1", "d", 260, "val1"},
        {f1, "section1", "name2", "d", 260, "val2"},
        {f1, "section1", "name4", "d", 260, "a"},
        {f1, "section1", "name3", "d", 260, "d"},
        {f1, "section2", "x", "", 260, ""},
        {f1, "nosection", "name1", "d", 260, "d"},
        // At most buffer - 1 bytes; the default loses trailing spaces only.
        {f1, "section1", "name1", "d", 4, "val"},
        {f1, "section1", "name1", "d", 5, "val1"},
        {f1, "section1", "name1", "d", 1, ""},
        {f1, "section1", "name1", "d", 0, ""},
        {f1, "section1", "nokey", "default", 4, "def"},
        {f1, "section1", "nokey", "  d \t  ", 260, "  d \t"},
        {f1, "  section1 ", " name1  ", "d", 260, "val1"},
        {f1, "\tsection1", "name1", "d", 260, "d"},
        // A bound never splits a UTF-8 character.
        {"[S]\r\nk=a口パク\r\n", "S", "k", "", 4, "a"},
        {"[S]\r\nk=a口パク\r\n", "S", "k", "", 8, "a口パ"},
        {Cp932Crlf("[S]\nk=口パク\n"), "S", "k", "", 7, "口パ"},
        {"", "S", "nokey", "é€", 3, "é"},
        // Blanks trimmed, outer quote pair removed.
        {"[ S ]\r\n\t k \v=\t a b \t\r\n", "S", "k", "d", 260, "a b"},
        {"[S]\r\nk=  \"   v   \"  \r\n", "S", "k", "d", 260, "   v   "},
        {"[S]\r\nk='\"v\"'\r\n", "S", "k", "d", 260, "\"v\""},
        {"[S]\r\nk=\"v'\r\n", "S", "k", "d", 260, "\"v'"},
        {"[S]\r\nk=\"\r\n", "S", "k", "d", 260, "\""},
        // The first key and section win; a valueless line hides a later key.
        {"[S]\r\nk=v1\r\nk=v2\r\n", "S", "k", "d", 260, "v1"},
        {"[S]\r\n[S]\r\nk=v\r\n", "S", "k", "d", 260, "d"},
        {"[S]\r\nk\r\nk=v\r\n", "S", "k", "d", 260, "d"},
        // ';' starts a comment, '#' does not.
        {"[S]\r\n  ;k=v\r\n", "S", "k", "d", 260, "d"},
        {"[S]\r\nx=;x\r\n#k=v\r\n", "S", "#k", "d", 260, "v"},
        // Headers end at their bracket or the line end.
        {"[S]k=v\r\n", "S", "k", "d", 260, "d"},
        {"[S   \r\nk=v\r\n", "S", "k", "d", 260, "v"},
        {"[S] junk ] more\r\nk=v\r\n", "S", "k", "d", 260, "v"},
        {"[]\r\nk=v\r\n", "", "k", "d", 260, "v"},
        {"k=v\r\n[S]\r\n", "", "k", "d", 260, "d"},
        // Empty values, the first '=', a BOM, CP932 and invalid bytes.
        {"[S]\r\nk=  \r\n", "S", "k", "d", 260, ""},
        {"[S]\r\nk = a=b\r\n", "S", "k", "d", 260, "a=b"},
        {"\xEF\xBB\xBF[S]\r\nk=v\r\n", "S", "k", "d", 260, "v"},
        {Cp932Crlf("[設定]\n音量=①～\n"), "設定", "音量", "d", 260, "①～"},
        {"[S]\r\nk=a\x80\x83\x70\xFF\x83\r\n", "S", "k", "d", 260,
         "a\xEF\xBF\xBD\xE3\x83\x91\xEF\xBF\xBD\xEF\xBF\xBD"},
        // NUL is an ordinary byte that ends a value.
        {std::string("[S]\r\na=x\0y\r\n", 12), "S", "a", "d", 260, "x"},
        {"[S]\r\nlong=" + std::string(3000, 'h') + "\r\n", "S", "long", "", 2048,
         std::string(2047, 'h')},
    };
    for (const auto& c : cases) {
        WriteFile(m_path, c.file);
        EXPECT_EQ(Get(c.section, c.key, c.def, c.buffer), c.expected)
            << c.file.substr(0, 40) << " [" << c.section << "] " << c.key << " " << c.buffer;
    }
    EXPECT_EQ(GetPrivateProfileString("s", "k", "d  ", 260, m_dir / "none.ini"), "d");
    EXPECT_EQ(GetPrivateProfileString("s", "k", "d", 260, m_dir.Path()), "d"); // a folder
}

TEST_F(ProfileTest, IntegerVectors) {
    const std::pair<std::string, int> vectors[] = {
        {"-1", -1},
        {"+1", 1},
        {"4294967297", 1},
        {"-4294967297", -1},
        {"42A9", 42},
        {"B42", 0},
        {"2147483648", -2147483647 - 1},
        {"4294967295", -1},
        {"007", 7},
        {"+-1", 0},
        {"\" 12\"", 12},
        {"- 1", 0},
        {"1 2", 1},
        {"99999999999999999999", 1661992959},
        {"\" \"", 0},
    };
    for (const auto& [text, expected] : vectors) {
        WriteFile(m_path, "[S]\r\nk=" + text + "\r\nempty=\r\nnovalue\r\n");
        EXPECT_EQ(GetPrivateProfileInt("S", "k", 77, m_path), expected) << text;
    }
    for (const char* key : {"empty", "novalue", "missing"})
        EXPECT_EQ(GetPrivateProfileInt("S", key, 5, m_path), 5) << key;
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 7, m_dir / "none.ini"), 7);
}

TEST_F(ProfileTest, WriteVectors) {
    struct Write {
        std::string section;
        Opt key, value; // a null value deletes the key, a null key the section
    };
    const struct {
        Opt before; // null: no file
        std::vector<Write> writes;
        std::string after;
    } cases[] = {
        // New files, sections and keys in order, CR LF; values verbatim.
        {Opt(),
         {{"App1", "key1", "s1"},
          {"App1", "key2", ""},
          {"App2", "k", " v "},
          {" S ", " q ", "\"a\""}},
         "[App1]\r\nkey1=s1\r\nkey2=\r\n[App2]\r\nk= v \r\n[S]\r\nq=\"a\"\r\n"},
        // Replaced in place keeping the spelling and line end; added after the
        // last key line, before blank lines and trailing comments.
        {";c0\r\n[S]\r\n;c1\r\nb=value\r\n;c2\r\na=value\r\n;tail\r\n\r\n[T]\r\n",
         {{"S", "z", ""}, {"S", "B", "1"}},
         ";c0\r\n[S]\r\n;c1\r\nb=1\r\n;c2\r\na=value\r\nz=\r\n;tail\r\n\r\n[T]\r\n"},
        {"[S]\r\nTestKey=TestValue", {{"s", "TESTKEY", "V2"}}, "[S]\r\nTestKey=V2\r\n"},
        {"[Sec]\r\n  Key \t=  old  \r\nflag\r\n",
         {{"SEC", "key", "new"}, {"S", "x", "1"}},
         "[Sec]\r\nKey=new\r\nflag\r\n[S]\r\nx=1\r\n"},
        {"[S]\nk=1\nj=2\rl=3", {{"S", "j", "b"}, {"S", "n", "2"}}, "[S]\nk=1\nj=b\rl=3\r\nn=2\r\n"},
        {"[S] trailing text\r\n;c\r\n[T]\r\n",
         {{"S", "k", "v"}},
         "[S] trailing text\r\nk=v\r\n;c\r\n[T]\r\n"},
        {"This is text.", {{"s", "k", "v"}}, "This is text.\r\n[s]\r\nk=v\r\n"},
        {"\xEF\xBB\xBF[S]\r\nk=v\r\n", {{"S", "k", "w"}}, "\xEF\xBB\xBF[S]\r\nk=w\r\n"},
        {"[S]\r\nk=1\r\n[S]\r\nk=3\r\n", {{"S", "k", "x"}}, "[S]\r\nk=x\r\n[S]\r\nk=3\r\n"},
        {std::string("[T\0]\r\n", 6),
         {{"T", "e", "2"}},
         std::string("[T\0]\r\n[T]\r\ne=2\r\n", 16)},
        // Deleting keys and the first section (not its comments).
        {"[S]\r\na=1\r\n;c\r\nb=2\r\n[T]\r\nb=3\r\n",
         {{"S", "B", Opt()}, {"Q", "a", Opt()}},
         "[S]\r\na=1\r\n;c\r\n[T]\r\nb=3\r\n"},
        {"[A]\r\nx=1\r\n[S]\r\n;c1\r\nk=1\r\nflag\r\n[T]\r\n[S]\r\nk=2\r\n",
         {{"s", Opt(), Opt()}, {"none", Opt(), "ignored"}},
         "[A]\r\nx=1\r\n;c1\r\n[T]\r\n[S]\r\nk=2\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before.value_or("no file"));
        fs::remove(m_path);
        if (c.before)
            WriteFile(m_path, *c.before);
        for (const auto& w : c.writes)
            ASSERT_TRUE(Set(w.section, w.key, w.value));
        EXPECT_EQ(ReadFile(m_path), c.after);
    }
    ASSERT_TRUE(Set("S", "a", Opt(), m_dir / "none.ini"));
    EXPECT_FALSE(fs::exists(m_dir / "none.ini"));
}

TEST_F(ProfileTest, FailedWritesKeepTheOldFile) {
    WriteFile(m_dir / "file", "x");
    fs::create_directory(m_dir / "folder.ini");
    ASSERT_EQ(mkfifo((m_dir / "fifo.ini").c_str(), 0600), 0);
    for (const std::string& path : {m_dir / "missing/t.ini", m_dir / "file/t.ini",
                                    m_dir / "folder.ini", m_dir / "fifo.ini", std::string()})
        EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", path)) << path;
    EXPECT_EQ(GetPrivateProfileString("S", "k", "d", 260, m_dir / "fifo.ini"), "d");
    // A file size limit makes the write fail part way, as a full disk would.
    const std::string old = "[S]\r\nk=old\r\n;" + std::string(5000, 'c') + "\r\n";
    WriteFile(m_path, old);
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = saved;
    limit.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const bool replaced = Set("S", "k", "new");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(ReadFile(m_path), old);
    EXPECT_FALSE(fs::exists(m_dir / "missing"));
}

TEST_F(ProfileTest, WriteKeepsPermissionsAndFollowsSymlinks) {
    WriteFile(m_path, "[S]\r\nk=1\r\n");
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(m_path, perms);
    fs::create_symlink(m_path, m_dir / "link.ini");
    ASSERT_TRUE(Set("S", "k", "3", m_dir / "link.ini"));
    EXPECT_EQ(fs::status(m_path).permissions() & fs::perms::mask, perms);
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.ini"));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nk=3\r\n");
}

TEST_F(ProfileTest, RandomBytesGiveDefinedResults) {
    std::mt19937 random(1234);
    for (int round = 0; round < 100; ++round) {
        std::string bytes(static_cast<std::size_t>(random() % 2000), '\0');
        for (char& c : bytes)
            c = "[]=;\"' \t\r\nab\x81\xFF"[random() % 15];
        WriteFile(m_path, bytes);
        EXPECT_LE(Get("S", "k", "d", 64).size(), 63u);
        ASSERT_TRUE(Set("S", "k", "v"));
        EXPECT_EQ(Get("S", "k"), "v") << "round " << round;
    }
}

TEST_F(ProfileTest, HookSeesSuccessfulKeyWritesOnly) {
    using Call = std::tuple<std::string, std::string, std::string>;
    std::vector<Call> seen;
    platform::SetProfileWriteHook([&](std::string_view s, std::string_view k, std::string_view v) {
        seen.emplace_back(s, k, v);
        EXPECT_EQ(Get("App", "Key"), "v"); // the file is written before
    });
    ASSERT_TRUE(Set(" App ", "Key", " v "));
    ASSERT_TRUE(Set("App", "Key2", Opt()));
    ASSERT_TRUE(Set("App", Opt(), Opt()));
    EXPECT_FALSE(Set("App", "k", "v", m_dir / "missing/x.ini"));
    EXPECT_EQ(seen, (std::vector<Call>{{" App ", "Key", " v "}}));
}
