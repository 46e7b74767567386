// Play-list rows: the body and the id text lie inside the row, and the id text
// holds no separator and no trailing blank.
#include "fuzz.h"
#include "playback/play_list_line.h"

void FuzzOne(std::string_view row) {
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
