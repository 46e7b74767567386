// The play-list document: edits in tests/fixtures/vectors/rows.txt, and every
// play list of the source tree (demo set, test voice sets, scenario trees)
// coming back byte for byte after each entry has been moved through the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "playback/play_list_document.h"
#include "support/test_support.h"

namespace {

// An entry as a row writes it, read by the document itself: "a:,12,3".
PlayListEntry Spec(const std::string& row) {
    return PlayListDocument::FromBytes(row).Entry(0);
}

std::string Listing(const PlayListDocument& doc) {
    std::string out;
    for (std::size_t i = 0; i < doc.EntryCount(); ++i) {
        const PlayListEntry e = doc.Entry(i);
        out += (out.empty() ? "" : " ") + (e.target ? std::string(1, *e.target) + ":" : "") +
               std::to_string(e.id) + (e.extraSeconds ? "," + std::to_string(*e.extraSeconds) : "");
    }
    return out;
}

} // namespace

TEST(PlayListDocument, EditsAndNames) {
    const char* const faults[] = {"None",     "Empty",    "BadCharacter",
                                  "Reserved", "NotCp932", "TooLong"};
    for (const auto& v : testsupport::Vectors("rows.txt")) {
        if (v[0] == "name") {
            EXPECT_STREQ(faults[static_cast<int>(CheckPlayListName(v[1], v[2]))], v[3].c_str())
                << v[1];
            continue;
        }
        if (v[0] != "document")
            continue;
        SCOPED_TRACE(v[1] + " / " + v[2]);
        PlayListDocument doc = PlayListDocument::FromBytes(v[1]);
        std::istringstream ops(v[2]);
        for (std::string op; ops >> op;) {
            const std::size_t i = std::stoul(op.substr(1));
            std::string row;
            if (op[0] == 'i' || op[0] == 's')
                ops >> row;
            switch (op[0]) {
            case 'd':
                doc.MoveDown(i);
                break;
            case 'r':
                doc.Remove(i);
                break;
            case 'i':
                doc.Insert(i, Spec(row));
                break;
            case 's':
                doc.Set(i, Spec(row));
                EXPECT_TRUE(i >= doc.EntryCount() || doc.Entry(i) == Spec(row));
                break;
            }
        }
        const std::string expected = v[3] == "@same" ? v[1] : v[3];
        EXPECT_EQ(doc.ToBytes(), expected);
        EXPECT_EQ(doc.Modified(), expected != v[1]);
        EXPECT_EQ(Listing(doc), v[4]);
        doc.MarkSaved();
        EXPECT_FALSE(doc.Modified());
    }
}

// Entry 0 travels to the end and back, then every entry is set to itself: as
// read (UTF-8, LF) and as the robot's side holds it (CP932, CR LF).
TEST(PlayListDocument, EveryPlayListOfTheTreeRoundTrips) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(VOXLET_TEST_DATA).parent_path().parent_path();
    int files = 0;
    for (const char* top : {"resources/demo", "tests"})
        for (const auto& f : fs::recursive_directory_iterator(root / top)) {
            if (!f.is_regular_file() || f.path().parent_path().filename() != "play_list")
                continue;
            ++files;
            const std::string raw = testsupport::ReadFile(f.path().string());
            for (const std::string& bytes : {raw, testsupport::Cp932Crlf(raw)}) {
                SCOPED_TRACE(f.path().string());
                PlayListDocument doc = PlayListDocument::FromBytes(bytes);
                const std::size_t n = doc.EntryCount();
                const PlayListEntry first = doc.Entry(0);
                for (std::size_t i = 0; i + 1 < n; ++i)
                    doc.MoveDown(i);
                EXPECT_EQ(doc.Entry(n - 1), first);
                for (std::size_t i = n; i-- > 1;)
                    doc.MoveDown(i - 1);
                for (std::size_t i = 0; i < n; ++i)
                    doc.Set(i, doc.Entry(i));
                EXPECT_EQ(doc.ToBytes(), bytes);
            }
        }
    EXPECT_GE(files, 8);
}
