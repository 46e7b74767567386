// Private-profile access: the vectors of the private-profile note (numbered as
// there), the integer rules, encodings, robustness and byte-exact writes.
#include "platform/profile.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using platform::ProfileReadInt;
using platform::ProfileReadString;
using platform::ProfileWriteString;
using testsupport::Cp932Crlf;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
using Opt = std::optional<std::string>;

namespace {

constexpr std::size_t kBuf = 260;

class ProfileTest : public ::testing::Test {
protected:
    void TearDown() override { platform::SetProfileWriteHook(nullptr); }

    std::string Get(const std::string& section, const std::string& key,
                    const std::string& def = "default", std::size_t buffer = kBuf) {
        return ProfileReadString(section, key, def, buffer, m_path);
    }
    int GetInt(const std::string& section, const std::string& key, int def = 77) {
        return ProfileReadInt(section, key, def, m_path);
    }
    bool Set(const std::string& section, const Opt& key, const Opt& value,
             const std::string& path = "") {
        return ProfileWriteString(section, key, value, path.empty() ? m_path : path);
    }

    TempDir m_dir;
    std::string m_path = m_dir / "test.ini";
};

// ---------------------------------------------------------------------------
// Vectors 1-7 on F1, with each of the three line ends (vector 6).

class ProfileF1Test : public ProfileTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ProfileF1Test, V1ToV5) {
    std::string f1;
    for (const char* line :
         {"[section1]", "name1=val1", "name2=\"val2\"", "name3", "name4=a", "[section2]"})
        f1 += line + std::string(GetParam());
    WriteFile(m_path, f1);
    const struct {
        std::string section, key, def;
        std::size_t buffer;
        std::string expected;
    } cases[] = {
        // V1: keys and sections match without case; V2: quotes are stripped.
        {"section1", "name1", "default", kBuf, "val1"},
        {"section1", "NaMe1", "default", kBuf, "val1"},
        {"SECTION1", "name4", "default", kBuf, "a"},
        {"section1", "name2", "default", kBuf, "val2"},
        // V3: a missing key or section, or a line without '=', gives the default.
        {"section1", "notakey", "default", kBuf, "default"},
        {"notasection", "name1", "default", kBuf, "default"},
        {"section2", "x", "", kBuf, ""},
        {"section1", "name3", "default", kBuf, "default"},
        // V4: at most buffer - 1 bytes.
        {"section1", "name1", "default", 4, "val"},
        {"section1", "name1", "default", 5, "val1"},
        {"section1", "name1", "default", 1, ""},
        {"section1", "name1", "default", 0, ""},
        {"section1", "nokey", "default", 4, "def"},
        // V5: the default loses trailing spaces only.
        {"section1", "nokey", "default  ", kBuf, "default"},
        {"section1", "nokey", "  default \t  ", kBuf, "  default \t"},
        // The caller's names lose spaces only.
        {"  section1 ", " name1  ", "default", kBuf, "val1"},
        {"\tsection1", "name1", "default", kBuf, "default"},
        {"section1", "name1\t", "default", kBuf, "default"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Get(c.section, c.key, c.def, c.buffer), c.expected)
            << "[" << c.section << "] " << c.key << " " << c.buffer;
}

INSTANTIATE_TEST_SUITE_P(LineEnds, ProfileF1Test, ::testing::Values("\r\n", "\n", "\r"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                             const std::string eol = param.param;
                             return eol == "\r\n" ? "CrLf" : (eol == "\n" ? "Lf" : "Cr");
                         });

TEST_F(ProfileTest, V6_MixedLineEndsInOneFile) {
    WriteFile(m_path, "[a]\r\nx=1\ny=2\rz=3\n\r[b]\rw=4");
    EXPECT_EQ(Get("a", "x") + Get("a", "y") + Get("a", "z") + Get("b", "w"), "1234");
}

TEST_F(ProfileTest, V7_MissingFileGivesTheDefault) {
    EXPECT_EQ(ProfileReadString("s", "k", "default  ", kBuf, m_dir / "none.ini"), "default");
    EXPECT_EQ(ProfileReadString("s", "k", "d", kBuf, ""), "d");
    EXPECT_EQ(ProfileReadString("s", "k", "d", kBuf, m_dir.Path()), "d"); // a folder
    EXPECT_EQ(ProfileReadInt("s", "k", 7, m_dir / "none.ini"), 7);
}

// ---------------------------------------------------------------------------
// Vectors 8-12 and more syntax; encodings.

TEST_F(ProfileTest, ReadVectors) {
    const struct {
        std::string file, section, key, expected;
    } cases[] = {
        // V8: blanks around names and values are trimmed, inner blanks stay.
        {"[S]\r\n\t k \t=\t v \t\r\n", "S", "k", "v"},
        {"[ x ]\r\nk=v\r\n", "x", "k", "v"},
        {"  [S]\r\nk=v\r\n", "S", "k", "v"},
        {"\v[S]\v\r\n\vk\v=\vv\v\r\n", "S", "k", "v"},
        {"[S]\r\nk=a b\r\n", "S", "k", "a b"},
        // V9: the outer quote pair is removed.
        {"[S]\r\nk=  \"   v   \"  \r\n", "S", "k", "   v   "},
        {"[S]\r\nk=\"v'\r\n", "S", "k", "\"v'"},
        {"[S]\r\nk='\"v\"'\r\n", "S", "k", "\"v\""},
        {"[S]\r\nk='v'\r\n", "S", "k", "v"},
        {"[S]\r\nk=\"\r\n", "S", "k", "\""}, // one quote is not a pair
        {"[S]\r\nk=\"\"\r\n", "S", "k", ""},
        {"[S]\r\nk=\"a\"b\"\r\n", "S", "k", "a\"b"},
        // V10: the first key and the first section win.
        {"[S]\r\nk=v1\r\nk=v2\r\n", "S", "k", "v1"},
        {"[S]\r\n[S]\r\nk=v\r\n", "S", "k", "default"},
        {"[S]\r\na=1\r\n[T]\r\n[s]\r\nk=v\r\n", "S", "k", "default"},
        {"[S]\r\nk\r\nk=v\r\n", "S", "k", "default"}, // valueless first line
        // V11: ';' starts a comment, '#' does not.
        {"[S]\r\n;k=v\r\n", "S", ";k", "default"},
        {"[S]\r\n;k=v\r\n", "S", "k", "default"},
        {"[S]\r\nx=;x\r\n", "S", "x", ";x"},
        {"[S]\r\n#k=v\r\n", "S", "#k", "v"},
        {"[S]\r\n  ;y=1\r\n", "S", "y", "default"},
        // V12: a header ends at its bracket or the line end.
        {"[S]k=v\r\n", "S", "k", "default"},
        {"[S   \r\nk=v\r\n", "S", "k", "v"},
        {"[S] junk ] more\r\nk=v\r\n", "S", "k", "v"},
        {"[]\r\nk=v\r\n", "", "k", "v"},
        // Lines before the first section cannot be read.
        {"k=v\r\n[S]\r\nj=w\r\n", "", "k", "default"},
        {"k=v\r\n[S]\r\nj=w\r\n", "S", "k", "default"},
        {"k=v\r\n[S]\r\nj=w\r\n", "S", "j", "w"},
        // An empty value is empty, not the default; the value splits at the first '='.
        {"[S]\r\nk=\r\n", "S", "k", ""},
        {"[S]\r\nj=  \r\n", "S", "j", ""},
        {"[S]\r\n=v\r\n", "S", "", "v"},
        {"[S]\r\nk = a=b=c\r\n", "S", "k", "a=b=c"},
        {"\xEF\xBB\xBF[S]\r\nk=v\r\n", "S", "k", "v"}, // a UTF-8 BOM is not part of the line
        // UTF-8 as it is; CP932 decoded, names too; invalid bytes replaced.
        {"[S]\r\nk=口パク\r\n", "S", "k", "口パク"},
        {Cp932Crlf("[S]\nk=口パク\nn=①～\n"), "S", "k", "口パク"},
        {Cp932Crlf("[S]\nk=口パク\nn=①～\n"), "S", "n", "①～"},
        {Cp932Crlf("[設定]\n音量=5\n"), "設定", "音量", "5"},
        // One encoding for the whole file: C3 BD is "ﾃｽ" in a CP932 file, and
        // the second byte of "ゾ" (83 5D) does not close a header.
        {Cp932Crlf("[S]\nk=口\nv=.\\ﾃｽ\\voice\n"), "S", "v", ".\\ﾃｽ\\voice"},
        {Cp932Crlf("[ゾ]\nk=v\n"), "ゾ", "k", "v"},
        // 0x80 and 0xFF as Windows maps them; 0x83 0x70 is "パ"; a lead byte at the end.
        {"[S]\r\nk=a\x80\x83\x70\xFF\x83\r\n", "S", "k", "a\u0080パ\uF8F3\uFFFD"},
    };
    for (const auto& c : cases) {
        WriteFile(m_path, c.file);
        EXPECT_EQ(Get(c.section, c.key), c.expected) << c.file << "[" << c.section << "] " << c.key;
    }
    EXPECT_EQ(Cp932Crlf("k=口パク"), "k=\x8C\xFB\x83\x70\x83\x4E");
}

TEST_F(ProfileTest, BoundNeverSplitsAUtf8Character) {
    WriteFile(m_path, "[S]\r\nk=a口パク\r\n"); // 1 + 3 + 3 + 3 bytes
    const std::pair<std::size_t, std::string> bounds[] = {
        {2, "a"}, {3, "a"}, {4, "a"}, {5, "a口"}, {7, "a口"}, {8, "a口パ"}, {11, "a口パク"}};
    for (const auto& [buffer, value] : bounds)
        EXPECT_EQ(Get("S", "k", "", buffer), value) << buffer;
    EXPECT_EQ(Get("S", "nokey", "é€", 3), "é");
    // In a CP932 file the bound counts the file's bytes (2 for a kanji, not 3)
    // and never splits a double-byte character.
    std::string kanji129;
    for (int i = 0; i < 129; ++i)
        kanji129 += "口";
    WriteFile(m_path, Cp932Crlf("[S]\nk=a" + kanji129 + "\nj=" + kanji129 + "口\n"));
    EXPECT_EQ(Get("S", "k"), "a" + kanji129); // 259 bytes
    EXPECT_EQ(Get("S", "j"), kanji129);       // the 130th kanji would be bytes 259 and 260
    // The callers' buffer sizes.
    const std::string hosts(3000, 'h');
    WriteFile(m_path, "[FlashAir]\r\nHosts=" + hosts + "\r\n");
    EXPECT_EQ(Get("FlashAir", "Hosts", "", 2048), hosts.substr(0, 2047));
    EXPECT_EQ(Get("FlashAir", "Hosts", "", 260), hosts.substr(0, 259));
}

// ---------------------------------------------------------------------------
// Integers.

TEST_F(ProfileTest, IntegerVectors) {
    const std::pair<std::string, int> vectors[] = {{"-1", -1},
                                                   {"+1", 1},
                                                   {"4294967296", 0},
                                                   {"4294967297", 1},
                                                   {"-4294967297", -1},
                                                   {"42A94967297", 42},
                                                   {"B4294967297", 0},
                                                   {"102abc", 102},
                                                   {"2147483647", 2147483647},
                                                   {"2147483648", -2147483647 - 1},
                                                   {"-2147483648", -2147483647 - 1},
                                                   {"4294967295", -1},
                                                   {"0", 0},
                                                   {"007", 7},
                                                   {"+-1", 0},
                                                   {"\" 12\"", 12},
                                                   {"- 1", 0},
                                                   {"1 2", 1},
                                                   {"99999999999999999999", 1661992959}};
    for (const auto& [text, expected] : vectors) {
        WriteFile(m_path, "[S]\r\nk=" + text + "\r\n");
        EXPECT_EQ(GetInt("S", "k"), expected) << text;
    }
    // A missing or empty value gives the default, one without digits 0.
    WriteFile(m_path, "[S]\r\nempty=\r\nquoted=\"\"\r\nnovalue\r\nblank=\" \"\r\n");
    for (const char* key : {"empty", "quoted", "novalue", "missing"})
        EXPECT_EQ(GetInt("S", key, 5), 5) << key;
    EXPECT_EQ(GetInt("T", "empty", -5), -5);
    EXPECT_EQ(GetInt("S", "blank", 5), 0);
    WriteFile(m_path, Cp932Crlf("[設定]\n音量=5\n"));
    EXPECT_EQ(GetInt("設定", "音量", 0), 5);
}

// ---------------------------------------------------------------------------
// Vectors 13-20 and more writes, compared byte for byte.

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
        // V13: a new file is created with CR LF.
        {Opt(), {{"App", "key", "string"}}, "[App]\r\nkey=string\r\n"},
        // V14: keys and sections are added in order.
        {Opt(),
         {{"App1", "key1", "string1"},
          {"App1", "key2", "string2"},
          {"App1", "key3", "string3"},
          {"App2", "key4", "string4"},
          {"App3", "key5", "string5"}},
         "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n"
         "[App3]\r\nkey5=string5\r\n"},
        // V15: an empty value writes "key=".
        {Opt(), {{"App", "key", ""}}, "[App]\r\nkey=\r\n"},
        // V16: replaced in place, added after the last key.
        {"[S]\r\nb=value\r\na=value\r\n",
         {{"S", "z", ""}, {"S", "b", ""}, {"S", "y", ""}, {"S", "a", ""}},
         "[S]\r\nb=\r\na=\r\nz=\r\ny=\r\n"},
        // V17: a replaced last line gets a line end and keeps its spelling.
        {"[S]\r\nTestKey=TestValue", {{"s", "TESTKEY", "V2"}}, "[S]\r\nTestKey=V2\r\n"},
        // V18: the value is written verbatim.
        {Opt(), {{"S", "k", " v "}, {"S", "q", "\"a;b\""}}, "[S]\r\nk= v \r\nq=\"a;b\"\r\n"},
        // V19: comments stay, new keys follow the last key line.
        {";c0\r\n[S]\r\n;c1\r\nb=value\r\n;c2\r\na=value\r\n",
         {{"S", "z", ""}, {"S", "y", ""}, {"S", "a", ""}, {"S", "b", ""}},
         ";c0\r\n[S]\r\n;c1\r\nb=\r\n;c2\r\na=\r\nz=\r\ny=\r\n"},
        // V20: text without line break before a new section.
        {"This is a test of the INI code.",
         {{"section1", "key1", "string1"}},
         "This is a test of the INI code.\r\n[section1]\r\nkey1=string1\r\n"},
        // A replaced line keeps its position and line end and loses its blanks.
        {"[Sec]\r\n  Key \t=  old  \r\nother=1\r\n",
         {{"SEC", "key", "new"}},
         "[Sec]\r\nKey=new\r\nother=1\r\n"},
        {"[S]\r\nflag\r\n", {{"S", "flag", "1"}}, "[S]\r\nflag=1\r\n"},
        {"[S]\nk=1\nj=2\rl=3", {{"S", "k", "a"}, {"S", "j", "b"}}, "[S]\nk=a\nj=b\rl=3"},
        // Added lines use CR LF in an LF file.
        {"[S]\nk=1\n\n[T]\nx=1\n",
         {{"S", "new", "2"}, {"U", "u", "3"}},
         "[S]\nk=1\nnew=2\r\n\n[T]\nx=1\n[U]\r\nu=3\r\n"},
        // A new key goes before blank lines and trailing comments, or after the header.
        {"[S]\r\na=1\r\n;tail\r\n\r\n[T]\r\n",
         {{"S", "b", "2"}},
         "[S]\r\na=1\r\nb=2\r\n;tail\r\n\r\n[T]\r\n"},
        {"[S] trailing text\r\n;c\r\n[T]\r\nx=1\r\n",
         {{"S", "k", "v"}},
         "[S] trailing text\r\nk=v\r\n;c\r\n[T]\r\nx=1\r\n"},
        {"[S]", {{"S", "k", "v"}}, "[S]\r\nk=v\r\n"},
        {"[S]\nk=v", {{"S", "j", "w"}}, "[S]\nk=v\r\nj=w\r\n"},
        // Writes go to the first occurrence.
        {"[S]\r\nk=1\r\nk=2\r\n[S]\r\nk=3\r\n",
         {{"S", "k", "x"}, {"S", "n", "y"}},
         "[S]\r\nk=x\r\nk=2\r\nn=y\r\n[S]\r\nk=3\r\n"},
        // Untouched bytes are preserved.
        {"free text\r\n  k0 = v0 \n; comment\r\r\n\n"
         "[ Main ]  ; note\r\n\tA = 1\r\n;c\n\n  B=2\r"
         "\r\n[Other]\nZ=9\n  # not a comment\n",
         {{"main", "b", "3"}, {"Main", "C", "4"}},
         "free text\r\n  k0 = v0 \n; comment\r\r\n\n"
         "[ Main ]  ; note\r\n\tA = 1\r\n;c\n\nB=3\rC=4\r\n"
         "\r\n[Other]\nZ=9\n  # not a comment\n"},
        {";one\r\n; two\n\n;three", {{"S", "k", "v"}}, ";one\r\n; two\n\n;three\r\n[S]\r\nk=v\r\n"},
        {"", {{"S", "k", "v"}}, "[S]\r\nk=v\r\n"},
        {"\xEF\xBB\xBF[S]\r\nk=v\r\n", {{"S", "k", "w"}}, "\xEF\xBB\xBF[S]\r\nk=w\r\n"},
        // Values and names go into the file in its own encoding.
        {Cp932Crlf("[S]\nk=口\n"),
         {{"S", "k", "パク"}, {"S", "新", "ﾃｽ"}, {"設定", "音量", "５"}},
         Cp932Crlf("[S]\nk=パク\n新=ﾃｽ\n[設定]\n音量=５\n")},
        {"[S]\r\nk=口\r\n", {{"S", "k", "パク"}}, "[S]\r\nk=パク\r\n"},
        // The caller's names lose their blanks, the value keeps them.
        {Opt(), {{"  S ", " k  ", " v"}}, "[S]\r\nk= v\r\n"},
        // A null value deletes the key; with nothing to delete nothing changes.
        {"[S]\r\na=1\r\n;c\r\nb=2\r\n[T]\r\nb=3\r\n",
         {{"S", "B", Opt()}, {"S", "zz", Opt()}, {"Q", "a", Opt()}},
         "[S]\r\na=1\r\n;c\r\n[T]\r\nb=3\r\n"},
        // A null key deletes the first section but not its comments.
        {"[A]\r\nx=1\r\n[S]\r\n;c1\r\nk=1\r\n\r\nflag\r\n;c2\r\n[T]\r\ny=2\r\n[S]\r\nk=2\r\n",
         {{"s", Opt(), Opt()}, {"none", Opt(), "ignored"}},
         "[A]\r\nx=1\r\n;c1\r\n\r\n;c2\r\n[T]\r\ny=2\r\n[S]\r\nk=2\r\n"},
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
    // Deleting from a missing file creates none.
    ASSERT_TRUE(Set("S", "a", Opt(), m_dir / "none.ini"));
    EXPECT_FALSE(fs::exists(m_dir / "none.ini"));
}

// ---------------------------------------------------------------------------
// Failures.

TEST_F(ProfileTest, WritesThatCannotBeMadeFail) {
    WriteFile(m_dir / "file", "x");
    fs::create_directory(m_dir / "folder.ini");
    // /proc accepts no new files, even from root.
    for (const std::string& path :
         {m_dir / "missing/test.ini", m_dir / "file/test.ini", m_dir / "folder.ini",
          std::string("/proc/voxlet-profile-test.ini")}) {
        platform::ProfileWriteError error;
        EXPECT_FALSE(ProfileWriteString("S", "k", "v", path, &error)) << path;
        EXPECT_EQ(error.fault, platform::ProfileWriteFault::System) << path;
        EXPECT_NE(error.systemText, "") << path;
    }
    EXPECT_FALSE(ProfileWriteString("S", "k", "v", ""));
    EXPECT_FALSE(fs::exists(m_dir / "missing"));
    EXPECT_TRUE(fs::is_directory(m_dir / "folder.ini"));
}

TEST_F(ProfileTest, WritesThatWouldBreakTheFileAreRefusedAndChangeNothing) {
    using Fault = platform::ProfileWriteFault;
    const std::string utf8 = "[S]\r\nk=口\r\n";
    const std::string cp932 = Cp932Crlf(utf8);
    const struct {
        std::string file, section, key, value;
        Fault fault;
    } cases[] = {
        // No line or section of the write's own making.
        {utf8, "S", "k", "/a\r[REMOTE]\rCONNECT_TYPE=2", Fault::LineBreak},
        {utf8, "S", "k", "a\nb", Fault::LineBreak},
        {utf8, "S", "k", "a\r\n", Fault::LineBreak},
        {utf8, "S]\r\n[T", "k", "v", Fault::LineBreak},
        {utf8, "S", "k\nj", "v", Fault::LineBreak},
        {utf8, "S", "\t[T]", "v", Fault::LineBreak}, // the line would be a header
        // The file keeps its one encoding.
        {utf8, "S", "k", "\x8C\xFB", Fault::NotEncodable}, // not UTF-8
        {cp932, "S", "k", "é", Fault::NotEncodable},       // no CP932 form
        {cp932, "S", "ké", "v", Fault::NotEncodable},
    };
    for (const auto& c : cases) {
        WriteFile(m_path, c.file);
        platform::ProfileWriteError error;
        EXPECT_FALSE(ProfileWriteString(c.section, c.key, c.value, m_path, &error))
            << c.section << " " << c.key << " " << c.value;
        EXPECT_EQ(error.fault, c.fault) << c.value;
        EXPECT_EQ(ReadFile(m_path), c.file) << c.value;
    }
    EXPECT_FALSE(Set("S", "k", "a\nb", m_dir / "new.ini"));
    EXPECT_FALSE(fs::exists(m_dir / "new.ini"));
}

TEST_F(ProfileTest, WriteIntoReadOnlyFolderOrFileFailsAndKeepsTheFile) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not apply to root";
    WriteFile(m_path, "[S]\r\nk=old\r\n");
    fs::permissions(m_dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(Set("S", "k", "new"));
    EXPECT_FALSE(Set("S", "k", "v", m_dir / "other.ini"));
    fs::permissions(m_dir.Path(), fs::perms::owner_all);
    fs::permissions(m_path, fs::perms::owner_read);
    EXPECT_FALSE(Set("S", "k", "new"));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nk=old\r\n");
}

TEST_F(ProfileTest, FailedWriteKeepsTheOldFile) {
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
    const bool created = Set("S", "k", std::string(3000, 'v'), m_dir / "new.ini");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(replaced);
    EXPECT_FALSE(created);
    EXPECT_EQ(ReadFile(m_path), old);
    // No temporary file is left behind.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_dir.Path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"test.ini"});
}

TEST_F(ProfileTest, WriteKeepsPermissionsAndFollowsSymlinks) {
    WriteFile(m_path, "[S]\r\nk=1\r\n");
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(m_path, perms);
    ASSERT_TRUE(Set("S", "k", "2"));
    EXPECT_EQ(fs::status(m_path).permissions() & fs::perms::mask, perms);
    fs::create_symlink(m_path, m_dir / "link.ini");
    ASSERT_TRUE(Set("S", "k", "3", m_dir / "link.ini"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.ini"));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nk=3\r\n");
}

// ---------------------------------------------------------------------------
// Robustness.

TEST_F(ProfileTest, TenKilobyteLine) {
    const std::string big(10 * 1024, 'x');
    WriteFile(m_path, "[S]\r\nlong=" + big + "\r\n;" + big + "\r\nk=v\r\n");
    EXPECT_EQ(Get("S", "long"), big.substr(0, 259));
    EXPECT_EQ(Get("S", "long", "", big.size() + 1), big);
    EXPECT_EQ(Get("S", "k"), "v");
    EXPECT_EQ(GetInt("S", "long", 3), 0);
    ASSERT_TRUE(Set("S", "k", "w"));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nlong=" + big + "\r\n;" + big + "\r\nk=w\r\n");
    ASSERT_TRUE(Set("S", "long", big + big));
    EXPECT_EQ(Get("S", "long", "", 3 * big.size()), big + big);
}

TEST_F(ProfileTest, NulBytesAreOrdinaryBytesAndEndAValue) {
    static const char bytes[] = "[S]\r\na=x\0y\r\nb\0c=z\r\n[T\0]\r\nd=1\r\n\0\r\n";
    const std::string file(bytes, sizeof bytes - 1);
    WriteFile(m_path, file);
    EXPECT_EQ(Get("S", "a"), "x");
    EXPECT_EQ(Get("S", std::string("b\0c", 3)), "z");
    EXPECT_EQ(Get(std::string("T\0", 2), "d"), "1");
    ASSERT_TRUE(Set("T", "e", "2"));
    EXPECT_EQ(ReadFile(m_path), file + "[T]\r\ne=2\r\n");
}

TEST_F(ProfileTest, RandomBytesGiveDefinedResults) {
    std::mt19937 random(1234);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(static_cast<std::size_t>(random() % 4000), '\0');
        for (char& c : bytes) {
            // Favour the characters that mean something to the parser.
            const unsigned pick = random() % 16;
            static const char special[] = "[]=;\"' \t\r\n";
            c = pick < 10 ? special[pick] : static_cast<char>(random() & 0xFF);
        }
        WriteFile(m_path, bytes);
        EXPECT_LE(Get("S", "k", "d", 64).size(), 63u);
        (void)GetInt("S", "k", 1);
        (void)Get("", "", "d", 64);
        ASSERT_TRUE(Set("S", "k", "v"));
        EXPECT_EQ(Get("S", "k"), "v") << "round " << round;
        ASSERT_GE(ReadFile(m_path).size(), bytes.size());
        ASSERT_TRUE(Set("S", round % 2 ? Opt() : Opt("k"), Opt()));
    }
}

TEST_F(ProfileTest, HugeFile) {
    std::string file;
    file.reserve(40u << 20);
    for (int section = 0; section < 20000; ++section) {
        file += "[Section" + std::to_string(section) + "]\r\n";
        for (int key = 0; key < 40; ++key)
            file += "key" + std::to_string(key) + "=value " + std::to_string(key) + "\r\n";
    }
    file += "[Last]\r\nk=found\r\n";
    WriteFile(m_path, file);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Get("Last", "k"), "found");
    EXPECT_EQ(Get("Section19999", "KEY39"), "value 39");
    ASSERT_TRUE(Set("Section10000", "key5", "changed"));
    EXPECT_EQ(Get("Section10000", "key5"), "changed");
    EXPECT_EQ(ReadFile(m_path).size(), file.size());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

TEST_F(ProfileTest, FifoInPlaceOfTheFileDoesNotBlock) {
    ASSERT_EQ(mkfifo(m_path.c_str(), 0600), 0);
    EXPECT_EQ(Get("S", "k"), "default");
    EXPECT_FALSE(Set("S", "k", "v"));
}

// ---------------------------------------------------------------------------
// The write hook.

TEST_F(ProfileTest, HookSeesSuccessfulKeyWritesOnlyAndMayReadTheFile) {
    using Call = std::tuple<std::string, std::string, std::string>;
    std::vector<Call> seen;
    platform::SetProfileWriteHook(
        [&](std::string_view section, std::string_view key, std::string_view value) {
            seen.emplace_back(section, key, value);
            EXPECT_EQ(ProfileReadString("App", "Key", "", kBuf, m_path), "v");
        });
    ASSERT_TRUE(Set(" App ", "Key", " v "));
    ASSERT_TRUE(Set("App", "other", ""));
    ASSERT_TRUE(Set("App", "Key", Opt()));
    ASSERT_TRUE(Set("App", Opt(), Opt()));
    EXPECT_FALSE(Set("App", "k", "v", m_dir / "missing/x.ini"));
    EXPECT_EQ(seen, (std::vector<Call>{{" App ", "Key", " v "}, {"App", "other", ""}}));
    platform::SetProfileWriteHook(nullptr);
    ASSERT_TRUE(Set("App", "k", "v"));
    EXPECT_EQ(seen.size(), 2u);
}

} // namespace
