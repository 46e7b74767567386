// Text at the file boundary: Windows-31J (CP932) <-> UTF-8, and a row reader
// that reproduces what Windows text mode and a 256-byte fgets buffer deliver.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Decodes CP932 bytes. The single bytes 0x80, 0xA0 and 0xFD..0xFF become
// U+0080, U+F8F0 and U+F8F1..U+F8F3, as the Windows code page converts them.
// Other bytes that do not form a CP932 character (a stray trail byte, a lead
// byte at the end, an unassigned code) become U+FFFD each; the rest of the
// text is still decoded.
std::string Cp932ToUtf8(std::string_view bytes);
// The same into out (its contents replaced), which keeps its capacity.
void Cp932ToUtf8(std::string_view bytes, std::string& out);

// Encodes UTF-8 as CP932; U+0080, U+F8F0 and U+F8F1..U+F8F3 go back to the
// single bytes that Cp932ToUtf8 gives them. Characters that CP932 cannot hold,
// and invalid UTF-8, become '?'; a few get the code of a similar character
// (U+301C WAVE DASH that of U+FF5E). Returns false in *exact (when given) if
// any such replacement happened: exact text decodes back to itself.
std::string Utf8ToCp932(std::string_view utf8, bool* exact = nullptr);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// A text file's bytes as UTF-8, by the settings file's rule, whichever way a
// Windows editor saved it: a leading UTF-8 byte-order mark is dropped, UTF-8
// stays as it is, and bytes that are not UTF-8 are decoded as CP932.
std::string TextFileToUtf8(std::string_view bytes);

// Reads a file the way fgets(buf, 256, f) does on a file opened with "rt" under
// Windows: CR LF is delivered as LF, a 0x1A byte ends the file, each row holds
// at most rowLimit (255) bytes, the line end stays part of its row, and the rest
// of a longer line comes as the next row. Rows are raw bytes (no decoding).
class TextRowReader {
public:
    static constexpr std::size_t kRowLimit = 255;

    // Opens the data file as OpenDataFile does (letter case aside, and only a
    // regular file); IsOpen() tells whether that worked.
    explicit TextRowReader(std::string_view path, std::size_t rowLimit = kRowLimit);
    ~TextRowReader();
    TextRowReader(const TextRowReader&) = delete;
    TextRowReader& operator=(const TextRowReader&) = delete;

    bool IsOpen() const { return m_file != nullptr; }
    // The next row, or nullopt at the end of the file (or after a read error).
    std::optional<std::string> ReadRow();
    // The same into row; false (row empty) at the end.
    bool ReadRow(std::string& row);
    void Close();

private:
    bool Fill();
    std::FILE* m_file = nullptr;
    std::size_t m_rowLimit;
    std::unique_ptr<char[]> m_buffer; // the file is read a block at a time
    std::size_t m_pos = 0;            // next byte in m_buffer
    std::size_t m_length = 0;         // bytes in m_buffer
    bool m_eof = false;
    bool m_failed = false; // a read error
};

} // namespace platform
