// Catalogue files: the row reader delivers the file as text mode does (CR LF
// as LF, cut at 0x1A) in rows of at most 255 bytes, and a taken row's texts
// are valid UTF-8 columns of that row.
#include "core/catalogue.h"
#include "fuzz.h"
#include "platform/text.h"

void FuzzOne(std::string_view bytes) {
    const std::string path = fuzz::Scratch() + "rows.csv";
    fuzz::WriteFile(path, bytes);
    platform::TextRowReader reader(path);
    std::string all;
    VoiceEntry entry;
    while (const auto row = reader.ReadRow()) {
        FUZZ_CHECK(!row->empty() && row->size() <= platform::TextRowReader::kRowLimit);
        FUZZ_CHECK(row->find('\n') >= row->size() - 1);
        all += *row;
        if (ParseCatalogueRow(*row, ~0u, entry) == RowResult::Skipped)
            continue;
        for (std::string_view text : {entry.pszText, entry.pszExtra, entry.pszFile})
            FUZZ_CHECK(platform::IsValidUtf8(text) && text.find_first_of(",\n") == text.npos);
        std::string_view fourth = *row;
        for (int i = 0; i < 3; ++i)
            fourth.remove_prefix(fourth.find(',') + 1);
        FUZZ_CHECK(entry.rawFile == fourth.substr(0, fourth.find(',')));
        FUZZ_CHECK(platform::Cp932ToUtf8(entry.rawFile) == entry.pszFile);
    }
    // The file as Windows text mode reads it.
    std::string text(bytes.substr(0, bytes.find('\x1A')));
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != text.npos;)
        text.erase(at, 1);
    FUZZ_CHECK(all == text);
}
