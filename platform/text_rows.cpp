// TextRowReader: the rows that fgets(buf, 256, f) delivers from a file opened
// "rt" under Windows, read here from a file opened in binary mode (portable).
#include <cstring>

#include "platform/paths.h"
#include "platform/text.h"

namespace platform {

namespace {
constexpr std::size_t kBlock = 65536;
constexpr char kCtrlZ = 0x1A; // Windows text mode: end of file
} // namespace

TextRowReader::TextRowReader(std::string_view path, std::size_t rowLimit)
    : m_rowLimit(rowLimit == 0 ? 1 : rowLimit) {
    m_file = OpenDataFile(path);
    if (m_file)
        m_buffer = std::make_unique<char[]>(kBlock);
}

TextRowReader::~TextRowReader() {
    Close();
}

void TextRowReader::Close() {
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_buffer.reset();
    m_pos = m_length = 0;
    m_eof = true;
}

// The next block; false at the end of the file or after a read error.
bool TextRowReader::Fill() {
    m_pos = 0;
    m_length = m_eof ? 0 : std::fread(m_buffer.get(), 1, kBlock, m_file);
    m_failed = m_failed || std::ferror(m_file) != 0;
    if (m_length == 0 || m_failed)
        m_eof = true;
    return !m_eof;
}

std::optional<std::string> TextRowReader::ReadRow() {
    std::string row;
    if (!ReadRow(row))
        return std::nullopt;
    return row;
}

bool TextRowReader::ReadRow(std::string& row) {
    row.clear();
    if (!m_file)
        return false;
    // Bytes as text mode delivers them: CR LF as LF, a lone CR as CR, and the
    // end at a 0x1A byte.
    while (row.size() < m_rowLimit && (m_pos < m_length || Fill())) {
        const char* bytes = m_buffer.get() + m_pos;
        std::size_t run = std::min(m_length - m_pos, m_rowLimit - row.size());
        if (const void* lf = std::memchr(bytes, '\n', run))
            run = static_cast<std::size_t>(static_cast<const char*>(lf) - bytes) + 1;
        std::size_t plain = run;
        if (const void* cr = std::memchr(bytes, '\r', plain))
            plain = static_cast<std::size_t>(static_cast<const char*>(cr) - bytes);
        if (const void* z = std::memchr(bytes, kCtrlZ, plain))
            plain = static_cast<std::size_t>(static_cast<const char*>(z) - bytes);
        row.append(bytes, plain);
        m_pos += plain;
        if (plain == run) {
            if (row.back() == '\n')
                break;
        } else if (bytes[plain] == kCtrlZ) {
            m_eof = true;
            m_length = 0;
            break;
        } else { // CR: looks at the next byte (which may be CR or 0x1A itself)
            ++m_pos;
            const bool lf = (m_pos < m_length || Fill()) && m_buffer[m_pos] == '\n';
            m_pos += lf ? 1 : 0;
            row += lf ? '\n' : '\r';
            if (lf)
                break;
        }
    }
    if (m_failed) {
        // fgets returns NULL after a read error, whatever it had read.
        m_eof = true;
        row.clear();
    }
    return !row.empty();
}

} // namespace platform
