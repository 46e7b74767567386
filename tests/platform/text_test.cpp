#include "platform/text.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using platform::Cp932ToUtf8;
using platform::IsValidUtf8;
using platform::TextRowReader;
using platform::Utf8ToCp932;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";
const std::string kKuchipakuCp932 = "\x8C\xFB\x83\x70\x83\x4E"; // 口パク

std::vector<std::string> ReadAllRows(const std::string& path,
                                     std::size_t rowLimit = TextRowReader::kRowLimit) {
    TextRowReader reader(path, rowLimit);
    EXPECT_TRUE(reader.IsOpen());
    std::vector<std::string> rows;
    while (auto row = reader.ReadRow())
        rows.push_back(*row);
    EXPECT_FALSE(reader.ReadRow()) << "the end stays the end";
    return rows;
}

std::vector<std::string> RowsOf(std::string_view bytes) {
    TempDir dir;
    const std::string path = dir / "rows.txt";
    WriteFile(path, bytes);
    return ReadAllRows(path);
}

using Rows = std::vector<std::string>;

} // namespace

// ---- Cp932ToUtf8 ----

TEST(Cp932ToUtf8, DecodesKanjiAndKatakana) {
    EXPECT_EQ(Cp932ToUtf8(kKuchipakuCp932), "口パク");
}

TEST(Cp932ToUtf8, DecodesCp932ExtensionsThatShiftJisRejects) {
    EXPECT_EQ(Cp932ToUtf8("\x87\x40"), "①");
    EXPECT_EQ(Cp932ToUtf8("\x81\x60"), "～");
}

TEST(Cp932ToUtf8, AsciiAndHalfWidthKatakana) {
    EXPECT_EQ(Cp932ToUtf8("voice\\nf01.wav,1"), "voice\\nf01.wav,1");
    EXPECT_EQ(Cp932ToUtf8("\xB1\xB2\xB3"), "ｱｲｳ");
}

TEST(Cp932ToUtf8, EmptyText) {
    EXPECT_EQ(Cp932ToUtf8(""), "");
}

TEST(Cp932ToUtf8, KeepsNulBytes) {
    EXPECT_EQ(Cp932ToUtf8(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp932ToUtf8, StrayBytesBecomeReplacementEach) {
    EXPECT_EQ(Cp932ToUtf8("a\x80"
                          "b"),
              "a" + kReplacement + "b");
    EXPECT_EQ(Cp932ToUtf8("\xFD\xFE\xFF"), kReplacement + kReplacement + kReplacement);
}

TEST(Cp932ToUtf8, LeadByteAtTheEnd) {
    EXPECT_EQ(Cp932ToUtf8("ok\x82"), "ok" + kReplacement);
    EXPECT_EQ(Cp932ToUtf8("\x82"), kReplacement);
}

TEST(Cp932ToUtf8, LeadByteWithInvalidTrailReplacesOnlyTheLead) {
    // 0x81 0x20: the space is no trail byte, so it is decoded on its own.
    EXPECT_EQ(Cp932ToUtf8("\x81 x"), kReplacement + " x");
    // A lead byte followed by a complete character.
    EXPECT_EQ(Cp932ToUtf8("\x81\x0A" + kKuchipakuCp932), kReplacement + "\n口パク");
}

TEST(Cp932ToUtf8, ErrorsDoNotStopTheRest) {
    const std::string bytes = kKuchipakuCp932 + "\xFF" + kKuchipakuCp932 + "\x81";
    EXPECT_EQ(Cp932ToUtf8(bytes), "口パク" + kReplacement + "口パク" + kReplacement);
}

TEST(Cp932ToUtf8, LongTextDecodesCompletely) {
    std::string bytes;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        bytes += kKuchipakuCp932 + "\n";
        expected += "口パク\n";
    }
    EXPECT_EQ(Cp932ToUtf8(bytes), expected);
}

// ---- Utf8ToCp932 ----

TEST(Utf8ToCp932, EncodesKuchipaku) {
    bool exact = false;
    EXPECT_EQ(Utf8ToCp932("口パク", &exact), kKuchipakuCp932);
    EXPECT_TRUE(exact);
}

TEST(Utf8ToCp932, RoundTripsCp932Extensions) {
    bool exact = false;
    const std::string bytes = Utf8ToCp932("①～ｱ", &exact);
    EXPECT_TRUE(exact);
    EXPECT_EQ(bytes, "\x87\x40\x81\x60\xB1");
    EXPECT_EQ(Cp932ToUtf8(bytes), "①～ｱ");
}

TEST(Utf8ToCp932, AsciiUnchanged) {
    bool exact = false;
    EXPECT_EQ(Utf8ToCp932("E:\\VOICE\\a.wav", &exact), "E:\\VOICE\\a.wav");
    EXPECT_TRUE(exact);
    EXPECT_EQ(Utf8ToCp932(""), "");
}

TEST(Utf8ToCp932, UnrepresentableCharactersBecomeQuestionMarks) {
    bool exact = true;
    EXPECT_EQ(Utf8ToCp932("a😀b€c", &exact), "a?b?c");
    EXPECT_FALSE(exact);
}

TEST(Utf8ToCp932, InvalidUtf8BecomesQuestionMarks) {
    bool exact = true;
    EXPECT_EQ(Utf8ToCp932("a\xFFz", &exact), "a?z");
    EXPECT_FALSE(exact);
    exact = true;
    // A truncated sequence at the end is one character's worth.
    EXPECT_EQ(Utf8ToCp932("口\xE3\x81", &exact), "\x8C\xFB?");
    EXPECT_FALSE(exact);
    exact = true;
    // An encoded surrogate is not UTF-8.
    EXPECT_EQ(Utf8ToCp932("\xED\xA0\x80"
                          "x",
                          &exact)
                  .back(),
              'x');
    EXPECT_FALSE(exact);
}

TEST(Utf8ToCp932, ExactIsSetTrueWhenNothingWasReplaced) {
    bool exact = false;
    Utf8ToCp932("plain", &exact);
    EXPECT_TRUE(exact);
}

TEST(Utf8ToCp932, NullExactIsAllowed) {
    EXPECT_EQ(Utf8ToCp932("a😀", nullptr), "a?");
}

TEST(Utf8ToCp932, RoundTripOfDecodedText) {
    const std::string bytes = "\x83\x7B\x83\x43\x83\x58 " + kKuchipakuCp932 + " \x87\x41\x87\x42";
    bool exact = false;
    EXPECT_EQ(Utf8ToCp932(Cp932ToUtf8(bytes), &exact), bytes);
    EXPECT_TRUE(exact);
}

TEST(Cp932Conversion, WorksFromSeveralThreadsAtOnce) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (std::size_t t = 0; t < failures.size(); ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 2000; ++i) {
                if (Cp932ToUtf8(kKuchipakuCp932 + "\xFF") != "口パク" + kReplacement ||
                    Utf8ToCp932("口パク①") != kKuchipakuCp932 + "\x87\x40")
                    ++failures[t];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(failures.size(), 0));
}

// ---- IsValidUtf8 ----

TEST(IsValidUtf8, AcceptsWellFormedText) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("ascii"));
    EXPECT_TRUE(IsValidUtf8("口パク①～"));
    EXPECT_TRUE(IsValidUtf8("😀"));
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF")); // U+10FFFF
    EXPECT_TRUE(IsValidUtf8("\xEF\xBB\xBF"
                            "bom")); // a BOM is a character
    EXPECT_TRUE(IsValidUtf8(std::string_view("\0", 1)));
}

TEST(IsValidUtf8, RejectsIllFormedText) {
    EXPECT_FALSE(IsValidUtf8("\x80"));
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));         // overlong NUL
    EXPECT_FALSE(IsValidUtf8("\xC1\xBF"));         // overlong
    EXPECT_FALSE(IsValidUtf8("\xE0\x9F\xBF"));     // overlong 3-byte
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF0\x8F\xBF\xBF")); // overlong 4-byte
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xF5\x80\x80\x80"));
    EXPECT_FALSE(IsValidUtf8("\xE3\x81")); // truncated
    EXPECT_FALSE(IsValidUtf8("a\xE3\x81z"));
    EXPECT_FALSE(IsValidUtf8(kKuchipakuCp932));
}

// ---- TextRowReader ----

TEST(TextRowReader, MissingFileIsNotOpen) {
    TempDir dir;
    TextRowReader reader(dir / "missing.txt");
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_FALSE(reader.ReadRow());
}

TEST(TextRowReader, EmptyFileGivesNoRows) {
    EXPECT_EQ(RowsOf(""), Rows{});
}

TEST(TextRowReader, CrLfIsDeliveredAsLf) {
    EXPECT_EQ(RowsOf("one\r\ntwo\r\n"), (Rows{"one\n", "two\n"}));
}

TEST(TextRowReader, LfOnlyLines) {
    EXPECT_EQ(RowsOf("one\ntwo\n"), (Rows{"one\n", "two\n"}));
}

TEST(TextRowReader, LoneCrStaysACrByte) {
    EXPECT_EQ(RowsOf("a\rb\r\nc\r"), (Rows{"a\rb\n", "c\r"}));
    EXPECT_EQ(RowsOf("a\r\r\nb"), (Rows{"a\r\n", "b"}));
    EXPECT_EQ(RowsOf("\r"), (Rows{"\r"}));
}

TEST(TextRowReader, EmptyLinesAreRows) {
    EXPECT_EQ(RowsOf("\r\n\n\r\nx"), (Rows{"\n", "\n", "\n", "x"}));
}

TEST(TextRowReader, FinalLineWithoutLineEnd) {
    EXPECT_EQ(RowsOf("one\r\nlast"), (Rows{"one\n", "last"}));
}

TEST(TextRowReader, CtrlZEndsTheFile) {
    EXPECT_EQ(RowsOf("one\r\ntw\x1Ao\r\nthree\r\n"), (Rows{"one\n", "tw"}));
    EXPECT_EQ(RowsOf("\x1A"
                     "after"),
              Rows{});
    EXPECT_EQ(RowsOf("one\r\x1A"), (Rows{"one\r"}));
}

TEST(TextRowReader, LongLineIsSplitAtTheRowLimit) {
    const std::string line(300, 'x');
    const Rows rows = RowsOf(line + "\r\nnext\r\n");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], std::string(255, 'x'));
    EXPECT_EQ(rows[1], std::string(45, 'x') + "\n");
    EXPECT_EQ(rows[2], "next\n");
}

TEST(TextRowReader, LineOfExactlyTheRowLimitLeavesItsLineEndAsARow) {
    const std::string line(255, 'y');
    EXPECT_EQ(RowsOf(line + "\r\nz\r\n"), (Rows{line, "\n", "z\n"}));
    EXPECT_EQ(RowsOf(line + "\n"), (Rows{line, "\n"}));
}

TEST(TextRowReader, CrLfStraddlingTheLimitCountsAsOneByte) {
    // 254 bytes, then CR LF: the CR is byte 255 of the line but is read as LF.
    const std::string line(254, 'w');
    EXPECT_EQ(RowsOf(line + "\r\nv\r\n"), (Rows{line + "\n", "v\n"}));
    // 255 bytes, then a lone CR that is byte 256: it starts the next row.
    const std::string full(255, 'w');
    EXPECT_EQ(RowsOf(full + "\rq\r\n"), (Rows{full, "\rq\n"}));
}

TEST(TextRowReader, RowsAreRawBytesAndKeepNul) {
    const std::string bytes = kKuchipakuCp932 + std::string("\0,1\r\n", 5);
    EXPECT_EQ(RowsOf(bytes), (Rows{kKuchipakuCp932 + std::string("\0,1\n", 4)}));
}

TEST(TextRowReader, SmallerRowLimit) {
    TempDir dir;
    const std::string path = dir / "small.txt";
    WriteFile(path, "abcdefg\r\nhi\r\n");
    EXPECT_EQ(ReadAllRows(path, 3), (Rows{"abc", "def", "g\n", "hi\n"}));
}

TEST(TextRowReader, CloseEndsReading) {
    TempDir dir;
    const std::string path = dir / "c.txt";
    WriteFile(path, "a\nb\n");
    TextRowReader reader(path);
    ASSERT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.ReadRow(), "a\n");
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_FALSE(reader.ReadRow());
}

TEST(TextRowReader, FolderCannotBeRead) {
    TempDir dir;
    TextRowReader reader(dir.Path());
    // fopen may succeed on a folder under Linux; reading it must end at once.
    EXPECT_FALSE(reader.ReadRow());
}
