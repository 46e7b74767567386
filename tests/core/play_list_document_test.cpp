// The play-list document: edits in tests/fixtures/vectors/rows.txt, and every
// play list of the source tree (demo set, test voice sets, scenario trees)
// coming back byte for byte after each entry has been moved through the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "playback/play_list_document.h"
#include "support/test_support.h"

// An entry as a row writes it, read by the document itself: "a:,12,3".
static PlayListEntry Spec(const std::string& row) {
    return PlayListDocument::FromBytes(row).Entry(0);
}

TEST(PlayListDocument, EditsAndNames) {
    for (const auto& v : testsupport::Vectors("rows.txt")) {
        if (v[0] == "name") {
            EXPECT_EQ(static_cast<int>(CheckPlayListName(v[1], v[2])), std::stoi(v[3])) << v[1];
            continue;
        }
        if (v[0] != "document")
            continue;
        SCOPED_TRACE(v[1] + " / " + v[2]);
        PlayListDocument doc = PlayListDocument::FromBytes(v[1]);
        std::istringstream ops(v[2]);
        for (std::string op; ops >> op;) {
            const std::size_t i = std::stoul(op.substr(1));
            const std::string row = op.substr(op.find('=') + 1);
            if (op[0] == 'd')
                doc.MoveDown(i);
            else if (op[0] == 'r')
                doc.Remove(i);
            else if (op[0] == 'i')
                doc.Insert(i, Spec(row));
            else
                doc.Set(i, Spec(row));
        }
        const std::string expected = v[3] == "@same" ? v[1] : v[3];
        EXPECT_EQ(doc.ToBytes(), expected);
        EXPECT_EQ(doc.Modified(), expected != v[1]);
        std::istringstream entries(v[4]);
        std::size_t k = 0;
        for (std::string e; entries >> e; ++k)
            EXPECT_EQ(doc.Entry(k), Spec(e)) << k;
        EXPECT_EQ(doc.EntryCount(), k);
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
