// PlayListDocument: a play-list file split into rows as the sequencer's row
// reader delivers them, with the playable rows open to editing and every
// other byte kept where it stands.
#include "playback/play_list_document.h"

#include <algorithm>

#include "core/numbers.h"
#include "playback/play_list_line.h"

namespace {

constexpr char kCtrlZ = 0x1A;          // the reader's end of the file
constexpr std::size_t kRowLimit = 255; // the reader's row buffer, line end aside

// A row is playable when the player reads it whole and classifies it as a clip
// or pause. A text of at most 255 bytes is read whole with any end: at 255 the
// reader delivers the text, then its end alone as an empty, skipped row. The
// classifier reads the same from the text with or without its end, as the
// numbers stop before it.
bool IsPlayable(std::string_view text) {
    return text.size() <= kRowLimit && ClassifyPlayListLine(text).kind != PlayListLine::Kind::Skip;
}

PlayListEntry Read(std::string_view text) {
    const PlayListLine line = ClassifyPlayListLine(text);
    PlayListEntry entry;
    entry.id = line.id;
    if (line.hasComma)
        entry.extraSeconds = line.extraSeconds;
    if (line.kind == PlayListLine::Kind::Target)
        entry.target = line.target;
    return entry;
}

// Where the number that AtoiLike reads from text[from] ends (blanks, a sign,
// digits); from itself when no digit is there, as then nothing was read.
std::size_t NumberEnd(std::string_view text, std::size_t from) {
    std::size_t used = 0;
    AtoiLike(text.substr(from), &used);
    return from + used;
}

// What follows the numbers of a playable row's body: after the id, or after
// the pause when the first comma comes right after the id (blanks between
// them allowed). "12,3 ;hi" gives " ;hi"; "12 ;a,3" gives " ;a,3", whose
// comma is then the row's pause comma.
std::string_view Tail(std::string_view text) {
    const std::string_view body = ClassifyPlayListLine(text).body;
    const std::size_t idEnd = NumberEnd(body, 0);
    const std::size_t comma = body.find(',');
    if (comma == std::string_view::npos || comma < idEnd)
        return body.substr(idEnd);
    for (std::size_t i = idEnd; i < comma; ++i)
        if (!IsAtoiSpace(body[i]))
            return body.substr(idEnd);
    return body.substr(NumberEnd(body, comma + 1));
}

bool IsTargetCharacter(char c) {
    return (c >= '1' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "T:,ID,N" then tail. The id is written as its unsigned 16-bit value, which
// the classifier reads back as the same signed id and which always starts
// with a digit (a '-' would make a row without prefix a skipped one). A target
// that no row can hold is not written.
std::string Render(const PlayListEntry& entry, std::string_view tail) {
    std::string text;
    if (entry.target && IsTargetCharacter(*entry.target)) {
        text.push_back(*entry.target);
        text += ":,";
    }
    text += std::to_string(static_cast<std::uint16_t>(entry.id));
    if (entry.extraSeconds) {
        text.push_back(',');
        text += std::to_string(*entry.extraSeconds);
    }
    text += tail;
    return text;
}

} // namespace

PlayListDocument PlayListDocument::FromBytes(std::string_view bytes) {
    PlayListDocument doc;
    const std::size_t z = bytes.find(kCtrlZ);
    if (z != std::string_view::npos) {
        doc.m_tail = std::string(bytes.substr(z));
        bytes = bytes.substr(0, z);
    }
    bool ended = false; // a row with a line end was seen
    while (!bytes.empty()) {
        Row row;
        const std::size_t lf = bytes.find('\n');
        if (lf == std::string_view::npos) {
            row.text = std::string(bytes);
            bytes = {};
        } else {
            const bool crlf = lf > 0 && bytes[lf - 1] == '\r';
            row.text = std::string(bytes.substr(0, crlf ? lf - 1 : lf));
            row.end = crlf ? "\r\n" : "\n";
            bytes.remove_prefix(lf + 1);
            if (!ended)
                doc.m_ends.forNewRows = row.end;
            ended = true;
        }
        row.entry = IsPlayable(row.text);
        doc.m_rows.push_back(std::move(row));
    }
    doc.m_ends.final = doc.m_rows.empty() || !doc.m_rows.back().end.empty();
    doc.m_savedBytes = doc.ToBytes();
    return doc;
}

std::string PlayListDocument::ToBytes() const {
    std::string bytes;
    for (const Row& row : m_rows)
        bytes += row.text + row.end;
    return bytes + m_tail;
}

std::size_t PlayListDocument::EntryCount() const {
    std::size_t count = 0;
    for (const Row& row : m_rows)
        count += row.entry ? 1 : 0;
    return count;
}

std::size_t PlayListDocument::RowOfEntry(std::size_t index) const {
    for (std::size_t r = 0; r < m_rows.size(); ++r)
        if (m_rows[r].entry && index-- == 0)
            return r;
    return m_rows.size();
}

PlayListEntry PlayListDocument::Entry(std::size_t index) const {
    const std::size_t r = RowOfEntry(index);
    return r < m_rows.size() ? Read(m_rows[r].text) : PlayListEntry{};
}

void PlayListDocument::Insert(std::size_t index, const PlayListEntry& entry) {
    const std::size_t before = std::min(index, EntryCount());
    const std::size_t at = before == 0 ? 0 : RowOfEntry(before - 1) + 1;
    Row row;
    row.text = Render(entry, {});
    row.entry = IsPlayable(row.text);
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
    PlaceEnds();
}

void PlayListDocument::Remove(std::size_t index) {
    const std::size_t r = RowOfEntry(index);
    if (r == m_rows.size())
        return;
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(r));
    PlaceEnds();
}

void PlayListDocument::MoveDown(std::size_t index) {
    const std::size_t r = RowOfEntry(index);
    const std::size_t next = r < m_rows.size() ? RowOfEntry(index + 1) : r;
    if (next < m_rows.size())
        std::swap(m_rows[r].text, m_rows[next].text);
}

void PlayListDocument::Set(std::size_t index, const PlayListEntry& entry) {
    const std::size_t r = RowOfEntry(index);
    if (r == m_rows.size() || Read(m_rows[r].text) == entry)
        return;
    // What followed the numbers stays when the row still reads as the entry
    // and fits the reader; otherwise (a comma in it would give a pause the
    // entry has none of, or the longer numbers overflow) it is dropped.
    std::string text = Render(entry, Tail(m_rows[r].text));
    if (text.size() > kRowLimit || Read(text) != entry)
        text = Render(entry, {});
    m_rows[r].text = std::move(text);
    m_rows[r].entry = IsPlayable(m_rows[r].text);
}

// Every row but the last ends; the last ends unless the file was read
// without a final line end, which stays a property of the file.
void PlayListDocument::PlaceEnds() {
    for (Row& row : m_rows)
        if (row.end.empty())
            row.end = m_ends.forNewRows;
    if (!m_ends.final && !m_rows.empty())
        m_rows.back().end.clear();
}

bool PlayListDocument::Modified() const {
    return ToBytes() != m_savedBytes;
}

void PlayListDocument::MarkSaved() {
    m_savedBytes = ToBytes();
}
