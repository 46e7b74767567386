#include "platform/console.h"
#include "platform/text.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

using platform::Cp932ToUtf8;
using platform::IsValidUtf8;
using platform::TextRowReader;
using platform::Utf8ToCp932;
using testsupport::TempDir;
using testsupport::WriteFile;
using Rows = std::vector<std::string>;

namespace {
// The rows of a file holding the bytes ("@none": no file, "@folder": a folder in
// its place), read to the end; a closed reader is no longer open and gives none.
Rows RowsOf(const std::string& bytes, std::size_t rowLimit = TextRowReader::kRowLimit) {
    TempDir dir;
    if (bytes == "@folder")
        std::filesystem::create_directory(dir / "rows.txt");
    else if (bytes != "@none")
        WriteFile(dir / "rows.txt", bytes);
    TextRowReader reader(dir / "rows.txt", rowLimit);
    EXPECT_EQ(reader.IsOpen(), bytes != "@none" && bytes != "@folder");
    Rows rows;
    while (auto row = reader.ReadRow())
        rows.push_back(*row);
    EXPECT_FALSE(reader.ReadRow()) << "the end stays the end";
    reader.Close();
    EXPECT_FALSE(reader.IsOpen() || reader.ReadRow());
    return rows;
}
} // namespace

// The vectors of tests/fixtures/vectors/text.txt: the CP932 codec both ways,
// whether an encoding was exact, the UTF-8 check, and the rows of a file (also
// past the first block read, and under a small row limit).
TEST(Text, Vectors) {
    const auto vectors = testsupport::Vectors("text.txt");
    ASSERT_GT(vectors.size(), 30u);
    for (const auto& v : vectors) {
        if (v[0] == "rows") {
            EXPECT_EQ(RowsOf(v[1]), Rows(v.begin() + 2, v.end())) << v[1].substr(0, 20);
            continue;
        }
        SCOPED_TRACE(v[0] + "|" + v[1] + "|" + v[2]);
        if (v[0] == "utf8") {
            EXPECT_EQ(IsValidUtf8(v[2]), v[1] == "valid");
            continue;
        }
        if (v[0] == "file") {
            EXPECT_EQ(platform::TextFileToUtf8(v[1]), v[2]);
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
    EXPECT_EQ(RowsOf("a\x1A" + std::string(70000, 'b')), Rows{"a"});
    EXPECT_EQ(RowsOf("abcdefg\r\nhi\r\n", 3), (Rows{"abc", "def", "g\n", "hi\n"}));
}

// The tools' console stream: each write, split at '|', reaches the sink as the
// whole characters it completes; a flush passes what waits, complete or not.
TEST(Text, ConsoleStreamPassesWholeCharacters) {
    const std::vector<std::pair<Rows, Rows>> cases = {
        {{"a\xE5", "\x8F\xA3!"}, {"a", "\xE5\x8F\xA3!"}},
        {{"\xF0\x9F", "\x98", "\x80!"}, {"\xF0\x9F\x98\x80!"}},
        {{"\xFFx\xE5\x41"}, {"\xFFx\xE5\x41"}},
        {{"ok\xE5\x8F", "@flush", "\xA3"}, {"ok", "\xE5\x8F", "\xA3"}},
    };
    for (const auto& [writes, expected] : cases) {
        Rows passed;
        platform::Utf8SinkBuf buffer([&](std::string_view text) { passed.emplace_back(text); });
        std::ostream stream(&buffer);
        for (const auto& write : writes)
            write == "@flush" ? stream.flush() : stream.write(write.data(), std::ssize(write));
        EXPECT_EQ(passed, expected) << writes[0];
    }
}

// A thread's converters, the system's descriptors among them, go when the
// thread ends: threads that convert leave the heap as they found it (a
// descriptor left open holds some 30 KB).
TEST(Text, ThreadsReleaseTheirConverters) {
    std::string text;
    const auto convert = [&text] { text = Cp932ToUtf8(Utf8ToCp932("口パク①")); };
    std::size_t before = 0, after = 0;
    if (!testsupport::HeapInUse(before))
        GTEST_SKIP() << "the system does not tell the heap in use";
    std::thread(convert).join(); // what a first use loads stays loaded
    EXPECT_EQ(text, "口パク①");
    ASSERT_TRUE(testsupport::HeapInUse(before));
    for (int i = 0; i < 16; ++i)
        std::thread(convert).join();
    ASSERT_TRUE(testsupport::HeapInUse(after));
    EXPECT_LT(after, before + 16 * 1024) << after - before;
}
