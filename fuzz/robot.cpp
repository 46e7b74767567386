// The robot stand-in: input = a 16-byte REMOTE.LOG record, then a file read
// both as a catalogue and as TEMP.TM4. The line names the record's fields as
// written, prints as one line without control bytes, and labels are valid
// UTF-8.
#include <cstdio>
#include <map>

#include "fuzz.h"
#include "platform/text.h"
#include "tools/voxlet_card/print_line.h"
#include "tools/voxlet_card/robot.h"

void FuzzOne(std::string_view input) {
    if (input.size() < 16)
        return;
    std::array<std::uint8_t, 16> record;
    std::copy(input.begin(), input.begin() + 16, record.begin());
    const std::string file(input.substr(16));
    const std::string path = fuzz::Scratch() + "robot.csv";
    fuzz::WriteFile(path, file);
    std::map<int, card::CatalogueRow> rows;
    std::string error;
    FUZZ_CHECK(card::ReadCatalogue(path, rows, error));
    for (const auto& [id, row] : rows)
        FUZZ_CHECK(id >= -32768 && id <= 32767 && platform::IsValidUtf8(row.label));

    const auto word = [&](int at) {
        return static_cast<std::int16_t>(record[at] | record[at + 1] << 8);
    };
    const auto found = rows.find(word(2));
    const std::string line = card::DescribeRecord(
        record, found == rows.end() ? nullptr : &found->second, input.size() % 2 ? &file : nullptr);
    for (const char c : card::EscapeControls(line)) // as printed: one line, no control bytes
        FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    int fields[6];
    FUZZ_CHECK(
        std::sscanf(line.c_str(),
                    "robot: marker=%d code=%d length=%d interval=%d volume=%d target-time=%d",
                    &fields[0], &fields[1], &fields[2], &fields[3], &fields[4], &fields[5]) == 6);
    for (int i = 0; i < 6; ++i)
        FUZZ_CHECK(fields[i] == word(2 * i));
    std::size_t blocks = 0;
    if (word(2) == 904 && input.size() % 2) {
        FUZZ_CHECK(std::sscanf(line.c_str(), "%*[^(](%zu clip blocks)", &blocks) == 1);
        FUZZ_CHECK(blocks <= file.size() / 22);
    }
}
