// Play-list rows: the body and the id text lie inside the row, and the id text
// holds no separator and no trailing blank. A play-list document keeps every
// byte through edits that cancel out, and its entries are the rows the
// sequencer's reader classifies as clips or pauses, when it reads none in
// pieces.
#include "fuzz.h"
#include "platform/text.h"
#include "playback/play_list_document.h"
#include "playback/play_list_line.h"

namespace {
void CheckDocument(std::string_view bytes) {
    PlayListDocument doc = PlayListDocument::FromBytes(bytes);
    for (std::size_t i = 0; i < doc.EntryCount(); ++i) {
        doc.MoveDown(i);
        doc.MoveDown(i);
        doc.Set(i, doc.Entry(i));
    }
    FUZZ_CHECK(doc.ToBytes() == bytes && !doc.Modified());
    fuzz::WriteFile(fuzz::Scratch() + "list.txt", bytes);
    platform::TextRowReader reader(fuzz::Scratch() + "list.txt");
    std::size_t entries = 0;
    bool whole = true; // no row was cut at the reader's limit
    for (std::string row; reader.ReadRow(row);) {
        whole = whole && row.size() < 255;
        if (const auto line = ClassifyPlayListLine(row); line.kind != PlayListLine::Kind::Skip)
            FUZZ_CHECK(!whole || doc.Entry(entries++).id == line.id);
    }
    FUZZ_CHECK(!whole || entries == doc.EntryCount());
}
} // namespace

void FuzzOne(std::string_view row) {
    CheckDocument(row);
    const PlayListLine line = ClassifyPlayListLine(row);
    if (line.kind == PlayListLine::Kind::Skip)
        return;
    const std::size_t offset = line.kind == PlayListLine::Kind::Target ? 3 : 0;
    FUZZ_CHECK(line.body.data() == row.data() + offset && line.body.size() == row.size() - offset);
    FUZZ_CHECK(line.hasComma == (line.body.find(',') != std::string_view::npos));
    const std::string id = line.IdText();
    FUZZ_CHECK(line.body.starts_with(id));
    FUZZ_CHECK(id.find_first_of(",;") == std::string::npos);
    FUZZ_CHECK(id.empty() || static_cast<unsigned char>(id.back()) > 32);
}
