#include "platform/text.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using platform::Cp932ToUtf8;
using platform::IsValidUtf8;
using platform::TextRowReader;
using platform::Utf8ToCp932;
using testsupport::TempDir;
using testsupport::WriteFile;
using Rows = std::vector<std::string>;

namespace {

const std::string kBad = "\xEF\xBF\xBD";                   // U+FFFD
const std::string kKuchipaku = "\x8C\xFB\x83\x70\x83\x4E"; // 口パク in CP932

Rows ReadAllRows(const std::string& path, std::size_t rowLimit = TextRowReader::kRowLimit) {
    TextRowReader reader(path, rowLimit);
    EXPECT_TRUE(reader.IsOpen());
    Rows rows;
    while (auto row = reader.ReadRow())
        rows.push_back(*row);
    EXPECT_FALSE(reader.ReadRow()) << "the end stays the end";
    return rows;
}

Rows RowsOf(std::string_view bytes, std::size_t rowLimit = TextRowReader::kRowLimit) {
    TempDir dir;
    WriteFile(dir / "rows.txt", bytes);
    return ReadAllRows(dir / "rows.txt", rowLimit);
}

} // namespace

TEST(Cp932ToUtf8, Decodes) {
    const std::pair<std::string, std::string> cases[] = {
        {kKuchipaku, "口パク"},
        {"\x87\x40\x81\x60", "①～"}, // CP932 extensions that Shift JIS rejects
        {"\xB1\xB2\xB3", "ｱｲｳ"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
        // The single bytes that only the Windows code page maps keep its mapping;
        // each other stray byte, and a lead byte at the end, becomes one U+FFFD.
        {"a\x80z\xA0", "a\u0080z\uF8F0"},
        {"\xFD\xFE\xFF", "\uF8F1\uF8F2\uF8F3"},
        {"\x85\x40", kBad + "@"},
        {"ok\x82", "ok" + kBad},
        // A lead byte with an invalid trail replaces only the lead.
        {"\x81 x", kBad + " x"},
        {"\x81\x0A" + kKuchipaku, kBad + "\n口パク"},
        {kKuchipaku + "\xFF" + kKuchipaku + "\x81", "口パク\uF8F3口パク" + kBad},
        {"\x81\xFD", kBad + "\uF8F1"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(Cp932ToUtf8(bytes), text) << bytes.substr(0, 20);
}

TEST(Utf8ToCp932, EncodesAndReportsReplacements) {
    const struct {
        std::string text, bytes;
        bool exact;
    } cases[] = {
        {"口パク", kKuchipaku, true},
        {"①～ｱ", "\x87\x40\x81\x60\xB1", true},
        {"a😀b€c", "a?b?c", false},
        {"\u0080\uF8F0\uF8F1\uF8F2\uF8F3", "\x80\xA0\xFD\xFE\xFF", true},
        {"\uF8F4\u0081", "??", false},
        // One-way mappings of a code page (〜 − ¥ ‖ as ～ － \ ∥) are refused.
        {"\u301C\u2212\u00A5\u2016", "????", false},
        // Invalid UTF-8; a truncated sequence at the end is one character's worth.
        {"a\xFFz", "a?z", false},
        {"口\xE3\x81", "\x8C\xFB?", false},
    };
    for (const auto& c : cases) {
        bool exact = !c.exact;
        EXPECT_EQ(Utf8ToCp932(c.text, &exact), c.bytes) << c.text;
        EXPECT_EQ(exact, c.exact) << c.text;
    }
    const std::string bytes = "\x83\x7B\x83\x43\x83\x58 " + kKuchipaku + " \x87\x41\x87\x42";
    EXPECT_EQ(Utf8ToCp932(Cp932ToUtf8(bytes)), bytes);
}

TEST(IsValidUtf8, AcceptsWellFormedTextOnly) {
    for (const std::string& text : {std::string(), std::string("ascii"), std::string("口パク①～😀"),
                                    std::string("\xF4\x8F\xBF\xBF"), // U+10FFFF
                                    std::string("\xEF\xBB\xBF"
                                                "bom"), // a BOM is a character
                                    std::string("\0", 1)})
        EXPECT_TRUE(IsValidUtf8(text)) << text;
    for (const char* text : {"\x80", "\xC0\x80", "\xC1\xBF",                     // overlong
                             "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80", // surrogate
                             "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",             // above U+10FFFF
                             "\xE3\x81", "a\xE3\x81z"})                          // truncated
        EXPECT_FALSE(IsValidUtf8(text)) << text;
    EXPECT_FALSE(IsValidUtf8(kKuchipaku));
}

TEST(TextRowReader, Rows) {
    const std::string x255(255, 'x');
    const std::string w254(254, 'w');
    const std::pair<std::string, Rows> cases[] = {
        {"", {}},
        {"one\r\ntwo\r\n", {"one\n", "two\n"}}, // CR LF is delivered as LF
        {"one\ntwo\n", {"one\n", "two\n"}},
        {"a\rb\r\nc\r", {"a\rb\n", "c\r"}}, // a lone CR stays
        {"a\r\r\nb", {"a\r\n", "b"}},
        // Ctrl-Z ends the file, beyond the first block read too.
        {"one\r\ntw\x1Ao\r\nthree\r\n", {"one\n", "tw"}},
        {"a\x1A" + std::string(70000, 'b'), {"a"}},
        {"one\r\x1A", {"one\r"}},
        // A long line is split at 255 bytes; a line end right after the limit is a row.
        {std::string(300, 'x') + "\r\nnext\r\n", {x255, std::string(45, 'x') + "\n", "next\n"}},
        {x255 + "\r\nz\r\n", {x255, "\n", "z\n"}},
        {x255 + "\n", {x255, "\n"}},
        // CR LF straddling the limit counts as one byte; a lone CR after it starts a row.
        {w254 + "\r\nv\r\n", {w254 + "\n", "v\n"}},
        {x255 + "\rq\r\n", {x255, "\rq\n"}},
        {kKuchipaku + std::string("\0,1\r\n", 5), {kKuchipaku + std::string("\0,1\n", 4)}},
    };
    for (const auto& [bytes, rows] : cases)
        EXPECT_EQ(RowsOf(bytes), rows) << bytes.substr(0, 20);
    EXPECT_EQ(RowsOf("abcdefg\r\nhi\r\n", 3), (Rows{"abc", "def", "g\n", "hi\n"}));
}

TEST(TextRowReader, MissingFileFolderOrClosedReaderGiveNoRows) {
    TempDir dir;
    TextRowReader missing(dir / "missing.txt");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(missing.ReadRow());
    EXPECT_FALSE(TextRowReader(dir.Path()).ReadRow()); // a folder
    WriteFile(dir / "c.txt", "a\nb\n");
    TextRowReader reader(dir / "c.txt");
    ASSERT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.ReadRow(), "a\n");
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_FALSE(reader.ReadRow());
}
