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
using platform::GetPrivateProfileInt;
using platform::GetPrivateProfileString;
using platform::WritePrivateProfileString;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

constexpr std::size_t kBuf = 260;

// Joins lines with the given line end (after every line).
std::string Lines(const std::vector<std::string>& lines, const std::string& eol = "\r\n") {
    std::string out;
    for (const auto& line : lines)
        out += line + eol;
    return out;
}

std::string F1(const std::string& eol) {
    return Lines({"[section1]", "name1=val1", "name2=\"val2\"", "name3", "name4=a", "[section2]"},
                 eol);
}

class ProfileTest : public ::testing::Test {
protected:
    void TearDown() override { platform::SetProfileWriteHook(nullptr); }

    // Writes the file and reads [section] key with default "default".
    std::string Read(const std::string& contents, const std::string& section,
                     const std::string& key, std::size_t buffer = kBuf) {
        WriteFile(m_path, contents);
        return GetPrivateProfileString(section, key, "default", buffer, m_path);
    }
    std::string Get(const std::string& section, const std::string& key,
                    const std::string& def = "default", std::size_t buffer = kBuf) {
        return GetPrivateProfileString(section, key, def, buffer, m_path);
    }
    bool Set(const std::string& section, const std::string& key, const std::string& value) {
        return WritePrivateProfileString(section, key, value, m_path);
    }

    TempDir m_dir;
    std::string m_path = m_dir / "test.ini";
};

// ---------------------------------------------------------------------------
// Vectors 1-7 on F1, with each of the three line ends (vector 6).

class ProfileF1Test : public ProfileTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override { WriteFile(m_path, F1(GetParam())); }
};

TEST_P(ProfileF1Test, V1_KeysMatchCaseInsensitively) {
    EXPECT_EQ(Get("section1", "name1"), "val1");
    EXPECT_EQ(Get("section1", "NaMe1"), "val1");
    EXPECT_EQ(Get("SECTION1", "name4"), "a");
}

TEST_P(ProfileF1Test, V2_QuotesAreStripped) {
    EXPECT_EQ(Get("section1", "name2"), "val2");
}

TEST_P(ProfileF1Test, V3_MissingKeyOrSectionGivesTheDefault) {
    EXPECT_EQ(Get("section1", "notakey"), "default");
    EXPECT_EQ(Get("notasection", "name1"), "default");
    EXPECT_EQ(Get("section2", "x", ""), "");
    EXPECT_EQ(Get("section1", "name3"), "default"); // a line without '=' has no value
}

TEST_P(ProfileF1Test, V4_BufferBoundIsSizeMinusOne) {
    EXPECT_EQ(Get("section1", "name1", "default", 4), "val");
    EXPECT_EQ(Get("section1", "name1", "default", 5), "val1");
    EXPECT_EQ(Get("section1", "name1", "default", 1), "");
    EXPECT_EQ(Get("section1", "name1", "default", 0), "");
    EXPECT_EQ(Get("section1", "nokey", "default", 4), "def");
}

TEST_P(ProfileF1Test, V5_DefaultLosesTrailingSpacesOnly) {
    EXPECT_EQ(Get("section1", "nokey", "default  "), "default");
    EXPECT_EQ(Get("section1", "nokey", "  default \t  "), "  default \t");
}

TEST_P(ProfileF1Test, CallerNamesAreTrimmedOfSpacesOnly) {
    EXPECT_EQ(Get("  section1 ", " name1  "), "val1");
    EXPECT_EQ(Get("\tsection1", "name1"), "default");
    EXPECT_EQ(Get("section1", "name1\t"), "default");
}

std::string LineEndName(const ::testing::TestParamInfo<const char*>& param) {
    const std::string eol = param.param;
    return eol == "\r\n" ? "CrLf" : (eol == "\n" ? "Lf" : "Cr");
}

INSTANTIATE_TEST_SUITE_P(LineEnds, ProfileF1Test, ::testing::Values("\r\n", "\n", "\r"),
                         LineEndName);

TEST_F(ProfileTest, V6_MixedLineEndsInOneFile) {
    WriteFile(m_path, "[a]\r\nx=1\ny=2\rz=3\n\r[b]\rw=4");
    EXPECT_EQ(Get("a", "x"), "1");
    EXPECT_EQ(Get("a", "y"), "2");
    EXPECT_EQ(Get("a", "z"), "3");
    EXPECT_EQ(Get("b", "w"), "4");
}

TEST_F(ProfileTest, V7_MissingFileGivesTheDefault) {
    EXPECT_EQ(GetPrivateProfileString("s", "k", "default  ", kBuf, m_dir / "none.ini"), "default");
    EXPECT_EQ(GetPrivateProfileString("s", "k", "d", kBuf, ""), "d");
    EXPECT_EQ(GetPrivateProfileString("s", "k", "d", kBuf, m_dir.Path()), "d"); // a folder
    EXPECT_EQ(GetPrivateProfileInt("s", "k", 7, m_dir / "none.ini"), 7);
}

// ---------------------------------------------------------------------------
// Vectors 8-12: syntax.

TEST_F(ProfileTest, V8_BlanksAroundNamesAndValuesAreTrimmed) {
    EXPECT_EQ(Read("[S]\r\n\t k \t=\t v \t\r\n", "S", "k"), "v");
    EXPECT_EQ(Read("[ x ]\r\nk=v\r\n", "x", "k"), "v");
    EXPECT_EQ(Read("  [S]\r\nk=v\r\n", "S", "k"), "v");
    EXPECT_EQ(Read("\v[S]\v\r\n\vk\v=\vv\v\r\n", "S", "k"), "v");
    EXPECT_EQ(Read("[S]\r\nk=a b\r\n", "S", "k"), "a b"); // inner blanks stay
}

TEST_F(ProfileTest, V9_OuterQuotePairIsRemoved) {
    EXPECT_EQ(Read("[S]\r\nk=  \"   v   \"  \r\n", "S", "k"), "   v   ");
    EXPECT_EQ(Read("[S]\r\nk=\"v'\r\n", "S", "k"), "\"v'");
    EXPECT_EQ(Read("[S]\r\nk='\"v\"'\r\n", "S", "k"), "\"v\"");
    EXPECT_EQ(Read("[S]\r\nk='v'\r\n", "S", "k"), "v");
    EXPECT_EQ(Read("[S]\r\nk=\"\r\n", "S", "k"), "\""); // one quote is not a pair
    EXPECT_EQ(Read("[S]\r\nk=\"\"\r\n", "S", "k"), "");
    EXPECT_EQ(Read("[S]\r\nk=\"a\"b\"\r\n", "S", "k"), "a\"b"); // only the outer pair
}

TEST_F(ProfileTest, V10_FirstKeyAndFirstSectionWin) {
    EXPECT_EQ(Read("[S]\r\nk=v1\r\nk=v2\r\n", "S", "k"), "v1");
    EXPECT_EQ(Read("[S]\r\n[S]\r\nk=v\r\n", "S", "k"), "default");
    EXPECT_EQ(Read("[S]\r\na=1\r\n[T]\r\n[s]\r\nk=v\r\n", "S", "k"), "default");
    EXPECT_EQ(Read("[S]\r\nk\r\nk=v\r\n", "S", "k"), "default"); // valueless first line
}

TEST_F(ProfileTest, V11_SemicolonCommentsButNotHash) {
    const std::string file = "[S]\r\n;k=v\r\nx=;x\r\n#k=v\r\n  ;y=1\r\n";
    EXPECT_EQ(Read(file, "S", ";k"), "default");
    EXPECT_EQ(Get("S", "k"), "default");
    EXPECT_EQ(Get("S", "x"), ";x");
    EXPECT_EQ(Get("S", "#k"), "v");
    EXPECT_EQ(Get("S", "y"), "default");
}

TEST_F(ProfileTest, V12_HeaderEndsAtBracketOrLineEnd) {
    EXPECT_EQ(Read("[S]k=v\r\n", "S", "k"), "default");
    EXPECT_EQ(Read("[S   \r\nk=v\r\n", "S", "k"), "v");
    EXPECT_EQ(Read("[S] junk ] more\r\nk=v\r\n", "S", "k"), "v");
    EXPECT_EQ(Read("[]\r\nk=v\r\n", "", "k"), "v");
}

TEST_F(ProfileTest, LinesBeforeTheFirstSectionCannotBeRead) {
    EXPECT_EQ(Read("k=v\r\n[S]\r\nj=w\r\n", "", "k"), "default");
    EXPECT_EQ(Get("S", "k"), "default");
    EXPECT_EQ(Get("S", "j"), "w");
}

TEST_F(ProfileTest, EmptyValueIsEmptyNotTheDefault) {
    EXPECT_EQ(Read("[S]\r\nk=\r\nj=  \r\n", "S", "k"), "");
    EXPECT_EQ(Get("S", "j"), "");
    EXPECT_EQ(Read("[S]\r\n=v\r\n", "S", ""), "v");
}

TEST_F(ProfileTest, ValueSplitsAtTheFirstEquals) {
    EXPECT_EQ(Read("[S]\r\nk = a=b=c\r\n", "S", "k"), "a=b=c");
}

TEST_F(ProfileTest, Utf8ByteOrderMarkIsNotPartOfTheFirstLine) {
    EXPECT_EQ(Read("\xEF\xBB\xBF[S]\r\nk=v\r\n", "S", "k"), "v");
    ASSERT_TRUE(Set("S", "k", "w"));
    EXPECT_EQ(ReadFile(m_path), "\xEF\xBB\xBF[S]\r\nk=w\r\n");
}

// ---------------------------------------------------------------------------
// Integers.

TEST_F(ProfileTest, IntegerVectors) {
    const std::vector<std::pair<std::string, int>> vectors = {
        {"-1", -1},
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
        {"99999999999999999999", 1661992959},
    };
    for (const auto& [text, expected] : vectors) {
        WriteFile(m_path, "[S]\r\nk=" + text + "\r\n");
        EXPECT_EQ(GetPrivateProfileInt("S", "k", 77, m_path), expected) << text;
    }
}

TEST_F(ProfileTest, IntegerDefaultWhenMissingOrEmpty) {
    WriteFile(m_path, "[S]\r\nempty=\r\nquoted=\"\"\r\nnovalue\r\nblank=\" \"\r\n");
    EXPECT_EQ(GetPrivateProfileInt("S", "empty", 5, m_path), 5);
    EXPECT_EQ(GetPrivateProfileInt("S", "quoted", 5, m_path), 5);
    EXPECT_EQ(GetPrivateProfileInt("S", "novalue", 5, m_path), 5);
    EXPECT_EQ(GetPrivateProfileInt("S", "missing", 5, m_path), 5);
    EXPECT_EQ(GetPrivateProfileInt("T", "empty", -5, m_path), -5);
    EXPECT_EQ(GetPrivateProfileInt("S", "blank", 5, m_path), 0); // no digits
}

// ---------------------------------------------------------------------------
// Vectors 13-20: writes, compared byte for byte.

TEST_F(ProfileTest, V13_NewFileIsCreatedWithCrLf) {
    ASSERT_TRUE(Set("App", "key", "string"));
    EXPECT_EQ(ReadFile(m_path), "[App]\r\nkey=string\r\n");
}

TEST_F(ProfileTest, V14_KeysAndSectionsAreAddedInOrder) {
    ASSERT_TRUE(Set("App1", "key1", "string1"));
    ASSERT_TRUE(Set("App1", "key2", "string2"));
    ASSERT_TRUE(Set("App1", "key3", "string3"));
    ASSERT_TRUE(Set("App2", "key4", "string4"));
    ASSERT_TRUE(Set("App3", "key5", "string5"));
    EXPECT_EQ(ReadFile(m_path), "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n"
                                "[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n");
}

TEST_F(ProfileTest, V15_EmptyValueWritesKeyEquals) {
    ASSERT_TRUE(Set("App", "key", ""));
    EXPECT_EQ(ReadFile(m_path), "[App]\r\nkey=\r\n");
    EXPECT_EQ(Get("App", "key"), "");
}

TEST_F(ProfileTest, V16_ReplaceInPlaceAndAppendAfterTheLastKey) {
    WriteFile(m_path, "[S]\r\nb=value\r\na=value\r\n");
    for (const char* key : {"z", "b", "y", "a"})
        ASSERT_TRUE(Set("S", key, ""));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nb=\r\na=\r\nz=\r\ny=\r\n");
}

TEST_F(ProfileTest, V17_ReplacedLastLineGetsALineEndAndKeepsItsSpelling) {
    WriteFile(m_path, "[S]\r\nTestKey=TestValue");
    ASSERT_TRUE(Set("s", "TESTKEY", "V2"));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nTestKey=V2\r\n");
}

TEST_F(ProfileTest, V18_ValueIsWrittenVerbatim) {
    ASSERT_TRUE(Set("S", "k", " v "));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nk= v \r\n");
    EXPECT_EQ(Get("S", "k"), "v");
    ASSERT_TRUE(Set("S", "q", "\"a;b\""));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nk= v \r\nq=\"a;b\"\r\n");
    EXPECT_EQ(Get("S", "q"), "a;b");
}

TEST_F(ProfileTest, V19_CommentsStayAndNewKeysFollowTheLastKeyLine) {
    WriteFile(m_path, ";c0\r\n[S]\r\n;c1\r\nb=value\r\n;c2\r\na=value\r\n");
    for (const char* key : {"z", "y", "a", "b"})
        ASSERT_TRUE(Set("S", key, ""));
    EXPECT_EQ(ReadFile(m_path), ";c0\r\n[S]\r\n;c1\r\nb=\r\n;c2\r\na=\r\nz=\r\ny=\r\n");
}

TEST_F(ProfileTest, V20_TextWithoutLineBreakBeforeANewSection) {
    const std::string text = "This is a test of the INI code.";
    ASSERT_EQ(text.size(), 31u);
    WriteFile(m_path, text);
    ASSERT_TRUE(Set("section1", "key1", "string1"));
    EXPECT_EQ(ReadFile(m_path), text + "\r\n[section1]\r\nkey1=string1\r\n");
}

// ---------------------------------------------------------------------------
// More about writes.

TEST_F(ProfileTest, ReplacingKeepsTheLinePositionAndDropsItsBlanks) {
    WriteFile(m_path, "[Sec]\r\n  Key \t=  old  \r\nother=1\r\n");
    ASSERT_TRUE(Set("SEC", "key", "new"));
    EXPECT_EQ(ReadFile(m_path), "[Sec]\r\nKey=new\r\nother=1\r\n");
}

TEST_F(ProfileTest, ReplacingAValuelessLine) {
    WriteFile(m_path, "[S]\r\nflag\r\n");
    ASSERT_TRUE(Set("S", "flag", "1"));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nflag=1\r\n");
}

TEST_F(ProfileTest, ReplacedLineKeepsItsOwnLineEnd) {
    WriteFile(m_path, "[S]\nk=1\nj=2\rl=3");
    ASSERT_TRUE(Set("S", "k", "a"));
    ASSERT_TRUE(Set("S", "j", "b"));
    EXPECT_EQ(ReadFile(m_path), "[S]\nk=a\nj=b\rl=3");
}

TEST_F(ProfileTest, AddedLinesUseCrLfInAnLfFile) {
    WriteFile(m_path, "[S]\nk=1\n\n[T]\nx=1\n");
    ASSERT_TRUE(Set("S", "new", "2"));
    ASSERT_TRUE(Set("U", "u", "3"));
    EXPECT_EQ(ReadFile(m_path), "[S]\nk=1\nnew=2\r\n\n[T]\nx=1\n[U]\r\nu=3\r\n");
    EXPECT_EQ(Get("S", "new"), "2");
    EXPECT_EQ(Get("U", "u"), "3");
}

TEST_F(ProfileTest, NewKeyGoesBeforeBlankLinesAndTrailingComments) {
    WriteFile(m_path, "[S]\r\na=1\r\n;tail\r\n\r\n[T]\r\n");
    ASSERT_TRUE(Set("S", "b", "2"));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\na=1\r\nb=2\r\n;tail\r\n\r\n[T]\r\n");
}

TEST_F(ProfileTest, NewKeyInAnEmptySectionFollowsTheHeader) {
    WriteFile(m_path, "[S] trailing text\r\n;c\r\n[T]\r\nx=1\r\n");
    ASSERT_TRUE(Set("S", "k", "v"));
    EXPECT_EQ(ReadFile(m_path), "[S] trailing text\r\nk=v\r\n;c\r\n[T]\r\nx=1\r\n");
}

TEST_F(ProfileTest, NewKeyAfterAHeaderOrKeyWithoutLineBreak) {
    WriteFile(m_path, "[S]");
    ASSERT_TRUE(Set("S", "k", "v"));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nk=v\r\n");
    WriteFile(m_path, "[S]\nk=v");
    ASSERT_TRUE(Set("S", "j", "w"));
    EXPECT_EQ(ReadFile(m_path), "[S]\nk=v\r\nj=w\r\n");
}

TEST_F(ProfileTest, WritesGoToTheFirstOccurrence) {
    WriteFile(m_path, "[S]\r\nk=1\r\nk=2\r\n[S]\r\nk=3\r\n");
    ASSERT_TRUE(Set("S", "k", "x"));
    ASSERT_TRUE(Set("S", "n", "y"));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nk=x\r\nk=2\r\nn=y\r\n[S]\r\nk=3\r\n");
}

TEST_F(ProfileTest, UntouchedBytesArePreserved) {
    const std::string before = "free text\r\n  k0 = v0 \n; comment\r\r\n\n";
    const std::string section = "[ Main ]  ; note\r\n\tA = 1\r\n;c\n\n  B=2\r";
    const std::string after = "\r\n[Other]\nZ=9\n  # not a comment\n";
    WriteFile(m_path, before + section + after);
    ASSERT_TRUE(Set("main", "b", "3"));
    EXPECT_EQ(ReadFile(m_path), before + "[ Main ]  ; note\r\n\tA = 1\r\n;c\n\nB=3\r" + after);
    ASSERT_TRUE(Set("Main", "C", "4"));
    EXPECT_EQ(ReadFile(m_path),
              before + "[ Main ]  ; note\r\n\tA = 1\r\n;c\n\nB=3\rC=4\r\n" + after);
}

TEST_F(ProfileTest, CommentOnlyFileKeepsItsBytes) {
    const std::string comments = ";one\r\n; two\n\n;three";
    WriteFile(m_path, comments);
    ASSERT_TRUE(Set("S", "k", "v"));
    EXPECT_EQ(ReadFile(m_path), comments + "\r\n[S]\r\nk=v\r\n");
    EXPECT_EQ(Get("S", "k"), "v");
}

TEST_F(ProfileTest, EmptyFileGetsTheSectionWithoutLeadingLineBreak) {
    WriteFile(m_path, "");
    ASSERT_TRUE(Set("S", "k", "v"));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nk=v\r\n");
}

TEST_F(ProfileTest, CallerNamesAreTrimmedForWrites) {
    ASSERT_TRUE(Set("  S ", " k  ", " v"));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nk= v\r\n");
}

TEST_F(ProfileTest, NullValueDeletesTheKey) {
    WriteFile(m_path, "[S]\r\na=1\r\n;c\r\nb=2\r\n[T]\r\nb=3\r\n");
    ASSERT_TRUE(WritePrivateProfileString("S", "B", std::nullopt, m_path));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\na=1\r\n;c\r\n[T]\r\nb=3\r\n");
    // Nothing to delete: nothing changes.
    ASSERT_TRUE(WritePrivateProfileString("S", "zz", std::nullopt, m_path));
    ASSERT_TRUE(WritePrivateProfileString("Q", "a", std::nullopt, m_path));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\na=1\r\n;c\r\n[T]\r\nb=3\r\n");
    ASSERT_TRUE(WritePrivateProfileString("S", "a", std::nullopt, m_dir / "none.ini"));
    EXPECT_FALSE(fs::exists(m_dir / "none.ini"));
}

TEST_F(ProfileTest, NullKeyDeletesTheSectionButNotItsComments) {
    WriteFile(m_path,
              "[A]\r\nx=1\r\n[S]\r\n;c1\r\nk=1\r\n\r\nflag\r\n;c2\r\n[T]\r\ny=2\r\n[S]\r\nk=2\r\n");
    ASSERT_TRUE(WritePrivateProfileString("s", std::nullopt, std::nullopt, m_path));
    EXPECT_EQ(ReadFile(m_path), "[A]\r\nx=1\r\n;c1\r\n\r\n;c2\r\n[T]\r\ny=2\r\n[S]\r\nk=2\r\n");
    ASSERT_TRUE(WritePrivateProfileString("none", std::nullopt, "ignored", m_path));
    EXPECT_EQ(ReadFile(m_path), "[A]\r\nx=1\r\n;c1\r\n\r\n;c2\r\n[T]\r\ny=2\r\n[S]\r\nk=2\r\n");
}

TEST_F(ProfileTest, WriteThenReadRoundTrips) {
    ASSERT_TRUE(Set("Settings", "Volume", "80"));
    ASSERT_TRUE(Set("Settings", "Name", "口パク"));
    ASSERT_TRUE(Set("Settings", "Volume", "-12"));
    EXPECT_EQ(GetPrivateProfileInt("settings", "volume", 0, m_path), -12);
    EXPECT_EQ(Get("Settings", "Name"), "口パク");
}

// ---------------------------------------------------------------------------
// Failures.

TEST_F(ProfileTest, WriteIntoMissingFolderFails) {
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", m_dir / "missing/test.ini"));
    EXPECT_FALSE(fs::exists(m_dir / "missing"));
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", ""));
}

TEST_F(ProfileTest, WriteWhereTheFolderIsAFileFails) {
    WriteFile(m_dir / "file", "x");
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", m_dir / "file/test.ini"));
}

TEST_F(ProfileTest, WriteOverAFolderFails) {
    fs::create_directory(m_path);
    EXPECT_FALSE(Set("S", "k", "v"));
    EXPECT_TRUE(fs::is_directory(m_path));
}

TEST_F(ProfileTest, WriteIntoReadOnlyFolderFailsAndKeepsTheFile) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not apply to root";
    WriteFile(m_path, "[S]\r\nk=old\r\n");
    fs::permissions(m_dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(Set("S", "k", "new"));
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", m_dir / "other.ini"));
    fs::permissions(m_dir.Path(), fs::perms::owner_all);
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nk=old\r\n");
}

TEST_F(ProfileTest, WriteToReadOnlyFileFails) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not apply to root";
    WriteFile(m_path, "[S]\r\nk=old\r\n");
    fs::permissions(m_path, fs::perms::owner_read);
    EXPECT_FALSE(Set("S", "k", "new"));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nk=old\r\n");
}

TEST_F(ProfileTest, WriteIntoAFolderWithoutFilesFails) {
    // /proc accepts no new files, even from root.
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", "/proc/voxlet-profile-test.ini"));
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
    const bool created =
        WritePrivateProfileString("S", "k", std::string(3000, 'v'), m_dir / "new.ini");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(replaced);
    EXPECT_FALSE(created);
    EXPECT_EQ(ReadFile(m_path), old);
    EXPECT_FALSE(fs::exists(m_dir / "new.ini"));
    // No temporary file is left behind.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_dir.Path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"test.ini"});
}

TEST_F(ProfileTest, WriteKeepsPermissionsAndFollowsSymlinks) {
    WriteFile(m_path, "[S]\r\nk=1\r\n");
    fs::permissions(m_path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(Set("S", "k", "2"));
    EXPECT_EQ(fs::status(m_path).permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const std::string link = m_dir / "link.ini";
    fs::create_symlink(m_path, link);
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "3", link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nk=3\r\n");
}

// ---------------------------------------------------------------------------
// Encodings and the buffer bound.

TEST_F(ProfileTest, Utf8ValueIsReturnedAsIs) {
    EXPECT_EQ(Read("[S]\r\nk=口パク\r\n", "S", "k"), "口パク");
}

TEST_F(ProfileTest, Cp932ValueIsDecodedToUtf8) {
    // 口パク in CP932 (8C FB 83 70 83 4E), as a Windows-made file holds it.
    WriteFile(m_path, testsupport::Cp932Crlf("[S]\nk=口パク\nn=①～\n"));
    EXPECT_EQ(ReadFile(m_path), "[S]\r\nk=\x8C\xFB\x83\x70\x83\x4E\r\nn=\x87\x40\x81\x60\r\n");
    EXPECT_EQ(Get("S", "k"), "口パク");
    EXPECT_EQ(Get("S", "n"), "①～");
}

TEST_F(ProfileTest, Cp932NamesMatchToo) {
    WriteFile(m_path, testsupport::Cp932Crlf("[設定]\n音量=5\n"));
    EXPECT_EQ(GetPrivateProfileInt("設定", "音量", 0, m_path), 5);
}

TEST_F(ProfileTest, InvalidBytesBecomeReplacementCharacters) {
    // 0x80 and 0xFF are not CP932; 0x83 0x70 is "パ"; a lead byte at the end.
    EXPECT_EQ(Read("[S]\r\nk=a\x80\x83\x70\xFF\x83\r\n", "S", "k"),
              "a\xEF\xBF\xBD\xE3\x83\x91\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST_F(ProfileTest, BoundNeverSplitsAUtf8Character) {
    WriteFile(m_path, "[S]\r\nk=a口パク\r\n"); // 1 + 3 + 3 + 3 bytes
    EXPECT_EQ(Get("S", "k", "", 2), "a");
    EXPECT_EQ(Get("S", "k", "", 3), "a");
    EXPECT_EQ(Get("S", "k", "", 4), "a");
    EXPECT_EQ(Get("S", "k", "", 5), "a口");
    EXPECT_EQ(Get("S", "k", "", 7), "a口");
    EXPECT_EQ(Get("S", "k", "", 8), "a口パ");
    EXPECT_EQ(Get("S", "k", "", 11), "a口パク");
    EXPECT_EQ(Get("S", "nokey", "é€", 3), "é");
    // A decoded CP932 value is bounded the same way.
    WriteFile(m_path, testsupport::Cp932Crlf("[S]\nk=口パク\n"));
    EXPECT_EQ(Get("S", "k", "", 6), "口");
    EXPECT_EQ(Get("S", "k", "", 7), "口パ");
}

TEST_F(ProfileTest, CallersBufferSizes) {
    const std::string hosts(3000, 'h');
    WriteFile(m_path, "[FlashAir]\r\nHosts=" + hosts + "\r\n");
    EXPECT_EQ(Get("FlashAir", "Hosts", "", 2048), hosts.substr(0, 2047));
    EXPECT_EQ(Get("FlashAir", "Hosts", "", 260), hosts.substr(0, 259));
}

// ---------------------------------------------------------------------------
// Robustness.

TEST_F(ProfileTest, TenKilobyteLine) {
    const std::string big(10 * 1024, 'x');
    WriteFile(m_path, "[S]\r\nlong=" + big + "\r\n;" + big + "\r\nk=v\r\n");
    EXPECT_EQ(Get("S", "long"), big.substr(0, 259));
    EXPECT_EQ(Get("S", "long", "", big.size() + 1), big);
    EXPECT_EQ(Get("S", "k"), "v");
    EXPECT_EQ(GetPrivateProfileInt("S", "long", 3, m_path), 0);
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
        const std::string value = Get("S", "k", "d", 64);
        EXPECT_LE(value.size(), 63u);
        (void)GetPrivateProfileInt("S", "k", 1, m_path);
        (void)Get("", "", "d", 64);
        ASSERT_TRUE(Set("S", "k", "v"));
        EXPECT_EQ(Get("S", "k"), "v") << "round " << round;
        const std::string written = ReadFile(m_path);
        ASSERT_GE(written.size(), bytes.size());
        if (round % 2 == 0)
            ASSERT_TRUE(WritePrivateProfileString("S", "k", std::nullopt, m_path));
        else
            ASSERT_TRUE(WritePrivateProfileString("S", std::nullopt, std::nullopt, m_path));
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

TEST_F(ProfileTest, HookSeesSuccessfulKeyWritesOnly) {
    std::vector<std::tuple<std::string, std::string, std::string>> seen;
    platform::SetProfileWriteHook(
        [&](std::string_view section, std::string_view key, std::string_view value) {
            seen.emplace_back(section, key, value);
        });
    ASSERT_TRUE(Set(" App ", "Key", " v "));
    ASSERT_TRUE(Set("App", "other", ""));
    ASSERT_TRUE(WritePrivateProfileString("App", "Key", std::nullopt, m_path));
    ASSERT_TRUE(WritePrivateProfileString("App", std::nullopt, std::nullopt, m_path));
    EXPECT_FALSE(WritePrivateProfileString("App", "k", "v", m_dir / "missing/x.ini"));
    using Call = std::tuple<std::string, std::string, std::string>;
    EXPECT_EQ(seen, (std::vector<Call>{{" App ", "Key", " v "}, {"App", "other", ""}}));

    platform::SetProfileWriteHook(nullptr);
    ASSERT_TRUE(Set("App", "k", "v"));
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(ProfileTest, HookMayReadTheWrittenFile) {
    std::string readBack;
    platform::SetProfileWriteHook([&](std::string_view, std::string_view, std::string_view) {
        readBack = GetPrivateProfileString("S", "k", "", kBuf, m_path);
    });
    ASSERT_TRUE(Set("S", "k", "now"));
    EXPECT_EQ(readBack, "now");
}

} // namespace
