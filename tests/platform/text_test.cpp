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
// The rows of a file holding the bytes, read to the end.
Rows RowsOf(std::string_view bytes, std::size_t rowLimit = TextRowReader::kRowLimit) {
    TempDir dir;
    WriteFile(dir / "rows.txt", bytes);
    TextRowReader reader(dir / "rows.txt", rowLimit);
    EXPECT_TRUE(reader.IsOpen());
    Rows rows;
    while (auto row = reader.ReadRow())
        rows.push_back(*row);
    EXPECT_FALSE(reader.ReadRow()) << "the end stays the end";
    return rows;
}
} // namespace

// The vectors of tests/fixtures/vectors/text.txt: the CP932 codec both ways,
// whether an encoding was exact, and the UTF-8 check.
TEST(Text, Vectors) {
    const auto vectors = testsupport::Vectors("text.txt");
    ASSERT_GT(vectors.size(), 30u);
    for (const auto& v : vectors) {
        if (v[0] == "rows")
            continue;
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

// The rows vectors of tests/fixtures/vectors/text.txt.
TEST(TextRowReader, Rows) {
    for (const auto& v : testsupport::Vectors("text.txt")) {
        if (v[0] == "rows") {
            EXPECT_EQ(RowsOf(v[1]), Rows(v.begin() + 2, v.end())) << v[1].substr(0, 20);
        }
    }
    EXPECT_EQ(RowsOf("a\x1A" + std::string(70000, 'b')), Rows{"a"});
    EXPECT_EQ(RowsOf("abcdefg\r\nhi\r\n", 3), (Rows{"abc", "def", "g\n", "hi\n"}));
}

TEST(TextRowReader, MissingFileFolderOrClosedReaderGiveNoRows) {
    TempDir dir;
    TextRowReader missing(dir / "missing.txt");
    EXPECT_FALSE(missing.IsOpen() || missing.ReadRow());
    EXPECT_FALSE(TextRowReader(dir.Path()).ReadRow()); // a folder
    WriteFile(dir / "c.txt", "a\nb\n");
    TextRowReader reader(dir / "c.txt");
    ASSERT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.ReadRow(), "a\n");
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_FALSE(reader.ReadRow());
}
