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

// The vectors of tests/fixtures/vectors/text.txt: the CP932 codec both ways,
// whether an encoding was exact, and the UTF-8 check.
TEST(Text, Vectors) {
    const auto vectors = testsupport::Vectors("text.txt");
    ASSERT_GT(vectors.size(), 30u);
    for (const auto& v : vectors) {
        SCOPED_TRACE(v[0] + "|" + v[1] + "|" + v[2]);
        if (v[0] == "utf8") {
            EXPECT_EQ(IsValidUtf8(v[2]), v[1] == "valid");
            continue;
        }
        if (v[0] != "encode") {
            EXPECT_EQ(Cp932ToUtf8(v[1]), v[2]);
        }
        bool exact = v[0] != "both";
        if (v[0] != "decode") {
            EXPECT_EQ(Utf8ToCp932(v[2], &exact), v[1]);
            EXPECT_EQ(exact, v[0] == "both");
        }
    }
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
