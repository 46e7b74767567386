// TextRowReader: the rows that fgets(buf, 256, f) delivers from a file opened
// "rt" under Windows, read here from a file opened in binary mode (portable).
#include "platform/paths.h"
#include "platform/text.h"

namespace platform {

namespace {
constexpr int kEnd = -1;
constexpr int kCtrlZ = 0x1A; // Windows text mode: end of file
} // namespace

TextRowReader::TextRowReader(std::string_view path, std::size_t rowLimit)
    : m_rowLimit(rowLimit == 0 ? 1 : rowLimit) {
    m_file = OpenDataFile(path);
}

TextRowReader::~TextRowReader() {
    Close();
}

void TextRowReader::Close() {
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_pending = -1;
    m_eof = true;
}

// The next byte as text mode delivers it: CR LF as LF, a lone CR as CR, and
// kEnd at the end of the file, at a 0x1A byte, or after a read error.
int TextRowReader::NextByte() {
    if (m_eof || !m_file)
        return kEnd;
    int c = m_pending;
    m_pending = -1;
    if (c < 0)
        c = std::fgetc(m_file);
    if (c == EOF || c == kCtrlZ) {
        m_eof = true;
        return kEnd;
    }
    if (c == '\r') {
        const int next = std::fgetc(m_file);
        if (next == '\n')
            return '\n';
        if (next != EOF)
            m_pending = next; // looked at again by the next call (may be CR or 0x1A)
    }
    return c;
}

std::optional<std::string> TextRowReader::ReadRow() {
    if (!m_file || m_eof)
        return std::nullopt;
    std::string row;
    while (row.size() < m_rowLimit) {
        const int c = NextByte();
        if (c == kEnd)
            break;
        row += static_cast<char>(c);
        if (c == '\n')
            break;
    }
    if (std::ferror(m_file)) {
        // fgets returns NULL after a read error, whatever it had read.
        m_eof = true;
        return std::nullopt;
    }
    if (row.empty())
        return std::nullopt;
    return row;
}

} // namespace platform
