// Private-profile ("INI") access, the same on every system: the file is read
// and written directly through the platform's whole-file functions, with the
// observable behaviour of the Windows functions
// GetPrivateProfileStringA / GetPrivateProfileIntA / WritePrivateProfileStringA,
// so a settings file moves freely between a Windows PC and this program.
// Every call works on the file as it is on disk now; nothing is cached.
//
// Where those functions leave room, this implementation decides:
// - Bytes are parsed as they are. A NUL byte is an ordinary byte while parsing;
//   a returned value (and the default) ends before its first NUL byte, as a C
//   string in a Windows buffer would.
// - A UTF-8 byte order mark at the very start of the file is not part of the
//   first line (so `[S]` right after it is a header). Writes leave it in place.
// - The encoding is decided once per file, on every read and write: a file in
//   which any byte sequence is not valid UTF-8 is CP932 throughout, any other
//   file (an empty or new one too) is UTF-8. A UTF-8 byte order mark counts as
//   UTF-8 text.
// - Names match with ASCII case folding; in a CP932 file a name with non-ASCII
//   bytes is decoded first, so a Windows-made file with Japanese names matches.
//   In a CP932 file a header's closing bracket is looked for character by
//   character, so the second byte of a double-byte character is never taken
//   for it.
// - A line without `=` is a key without a value: as the first occurrence of its
//   key it hides later ones (the lookup gives the default), and a write replaces
//   the line with `key=value`.
// - The buffer bound counts the value's bytes as the file stores them: in a
//   CP932 file the value is bounded to bufferSize - 1 bytes without splitting a
//   double-byte character and then decoded (platform::Cp932ToUtf8); in a UTF-8
//   file a UTF-8 character that the bound would split is dropped whole. The
//   default, which is the caller's UTF-8, is bounded as UTF-8.
// - ProfileReadInt reads the whole value (no intermediate buffer bound).
// - Lines the write adds (a new key, a new section, the line break put after a
//   last line that had none) end in CR LF, whatever the file uses elsewhere. A
//   replaced key line keeps its own line end (CR LF when it had none).
// - Writes replace the file whole or not at all (platform::WholeFileWriter, a
//   precious file: a temporary file in the same folder renamed over the old
//   one, permissions and, when allowed, owner carried over; a symbolic link is
//   followed and its target replaced; a hard link to the old file keeps the old
//   contents; a file that cannot be renamed over is written in place and, when
//   that fails, its old bytes written back and the failure marked as possibly
//   damaging). Like Windows, a file that is not writable is not written.
// - A deletion that finds nothing to delete changes nothing and returns true.
// - A write that leaves a CP932 file with no byte sequence that is not valid
//   UTF-8, but with other non-ASCII bytes, stores the file converted to UTF-8,
//   since those bytes would otherwise read as different text.
// - Refused writes (the file is not touched): CR or LF in the section, the key
//   or the value, and a key that would start its line with '[' (the line would
//   read as a section header), because a write must never add a line or a
//   section; a name or value that is not valid UTF-8, or that has no exact
//   CP932 form when the file is CP932, because the file keeps one encoding.
#include "platform/profile.h"
#include "platform/ascii_case.h"
#include "platform/files.h"
#include "platform/text.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <mutex>
#include <utility>
#include <vector>

namespace platform {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// ---------------------------------------------------------------------------
// Text helpers

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

bool HasHighByte(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

enum class Encoding { Utf8, Cp932 };

Encoding EncodingOf(std::string_view data) {
    return IsValidUtf8(data) ? Encoding::Utf8 : Encoding::Cp932;
}

bool IsCp932Lead(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The position of the first `c` (an ASCII byte) that starts a character.
std::size_t FindChar(std::string_view s, char c, Encoding encoding) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == c)
            return i;
        if (encoding == Encoding::Cp932 && IsCp932Lead(s[i]))
            ++i; // its second byte is not a character of its own
    }
    return std::string_view::npos;
}

// A name found in the file against a name from the caller (UTF-8, trimmed).
bool NameMatches(std::string_view inFile, std::string_view wanted, Encoding encoding) {
    if (encoding == Encoding::Cp932 && HasHighByte(inFile))
        return detail::EqualsIgnoringAsciiCase(Cp932ToUtf8(inFile), wanted);
    return detail::EqualsIgnoringAsciiCase(inFile, wanted);
}

std::string_view CutAtNul(std::string_view s) {
    const std::size_t nul = s.find('\0');
    return nul == std::string_view::npos ? s : s.substr(0, nul);
}

// Bounds s to at most maxBytes bytes; when the bound splits a UTF-8 character,
// the partial character is dropped too.
void BoundUtf8(std::string& s, std::size_t maxBytes) {
    if (s.size() <= maxBytes)
        return;
    std::size_t cut = maxBytes;
    // The start of the character that the byte at `cut` belongs to.
    std::size_t start = cut;
    for (int back = 0;
         back < 3 && start > 0 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80; ++back)
        --start;
    if (start < cut) {
        const auto lead = static_cast<unsigned char>(s[start]);
        std::size_t length = 1;
        if (lead >= 0xF0 && lead <= 0xF4)
            length = 4;
        else if (lead >= 0xE0 && lead <= 0xEF)
            length = 3;
        else if (lead >= 0xC2 && lead <= 0xDF)
            length = 2;
        if (start + length > cut)
            cut = start; // the character starting at `start` does not fit
    }
    s.resize(cut);
}

// Bounds CP932 text to at most maxBytes bytes without splitting a double-byte
// character.
std::string_view BoundCp932(std::string_view s, std::size_t maxBytes) {
    std::size_t end = 0;
    while (end < s.size()) {
        const std::size_t length = IsCp932Lead(s[end]) && end + 1 < s.size() ? 2 : 1;
        if (end + length > maxBytes)
            break;
        end += length;
    }
    return s.substr(0, end);
}

// A value as the file stores it (trimmed, outer quotes removed, cut at NUL).
struct StoredValue {
    std::string bytes;
    Encoding encoding = Encoding::Utf8;
};

StoredValue Unquote(std::string_view value, Encoding encoding) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return {std::string(CutAtNul(value)), encoding};
}

// The UTF-8 text of a name or value in the file's encoding; nullopt when it has
// none (not valid UTF-8, or no exact CP932 form).
std::optional<std::string> EncodeFor(std::string_view utf8, Encoding encoding) {
    if (!IsValidUtf8(utf8))
        return std::nullopt;
    if (encoding == Encoding::Utf8 || !HasHighByte(utf8))
        return std::string(utf8);
    bool exact = true;
    std::string bytes = Utf8ToCp932(utf8, &exact);
    if (!exact)
        return std::nullopt;
    return bytes;
}

// ---------------------------------------------------------------------------
// Lines

enum class LineKind { Blank, Comment, Header, Key };

struct Line {
    std::size_t begin = 0; // first byte of the line
    std::size_t end = 0;   // one past its content (where the line end starts)
    std::size_t next = 0;  // one past its line end
    LineKind kind = LineKind::Blank;
    std::string_view name;  // section name (Header) or key name (Key), trimmed
    bool hasValue = false;  // Key: the line has an `=`
    std::string_view value; // Key: what follows the first `=`, trimmed
    bool HasLineEnd() const { return next > end; }
};

// Walks the lines of a file's bytes: CR LF, LF and a lone CR end a line.
class LineCursor {
public:
    LineCursor(std::string_view data, Encoding encoding) : m_data(data), m_encoding(encoding) {
        if (m_data.substr(0, kUtf8Bom.size()) == kUtf8Bom)
            m_pos = kUtf8Bom.size();
    }

    bool Next(Line& line) {
        if (m_pos >= m_data.size())
            return false;
        line = Line{};
        line.begin = m_pos;
        std::size_t p = m_pos;
        const std::size_t size = m_data.size();
        while (p < size && m_data[p] != '\r' && m_data[p] != '\n')
            ++p;
        line.end = p;
        if (p < size) {
            if (m_data[p] == '\r' && p + 1 < size && m_data[p + 1] == '\n')
                p += 2;
            else
                p += 1;
        }
        line.next = p;
        m_pos = p;
        Classify(line);
        return true;
    }

private:
    void Classify(Line& line) const {
        const std::string_view text = TrimBlanks(m_data.substr(line.begin, line.end - line.begin));
        if (text.empty()) {
            line.kind = LineKind::Blank;
        } else if (text.front() == ';') {
            line.kind = LineKind::Comment;
        } else if (text.front() == '[') {
            line.kind = LineKind::Header;
            std::string_view name = text.substr(1);
            const std::size_t close = FindChar(name, ']', m_encoding);
            if (close != std::string_view::npos)
                name = name.substr(0, close);
            line.name = TrimBlanks(name);
        } else {
            line.kind = LineKind::Key;
            const std::size_t equals = text.find('=');
            if (equals == std::string_view::npos) {
                line.name = text;
            } else {
                line.name = TrimBlanks(text.substr(0, equals));
                line.hasValue = true;
                line.value = TrimBlanks(text.substr(equals + 1));
            }
        }
    }

    std::string_view m_data;
    Encoding m_encoding;
    std::size_t m_pos = 0;
};

// ---------------------------------------------------------------------------
// Lookups and edits

// The value of [section] key as the file stores it, or nullopt when the file,
// section or key is missing or the key has no `=`.
std::optional<StoredValue> LookUp(std::string_view section, std::string_view key,
                                  const std::string& path) {
    std::string data;
    if (ReadWholeFile(path, data) != WholeRead::Ok)
        return std::nullopt;
    section = TrimSpaces(section);
    key = TrimSpaces(key);
    const Encoding encoding = EncodingOf(data);
    LineCursor cursor(data, encoding);
    Line line;
    bool inSection = false;
    while (cursor.Next(line)) {
        if (line.kind == LineKind::Header) {
            if (inSection)
                break; // only the first occurrence of a section is searched
            inSection = NameMatches(line.name, section, encoding);
        } else if (inSection && line.kind == LineKind::Key &&
                   NameMatches(line.name, key, encoding)) {
            if (!line.hasValue)
                return std::nullopt;
            return Unquote(line.value, encoding);
        }
    }
    return std::nullopt;
}

// What the first matching section of a file holds, for an edit.
struct SectionScan {
    bool found = false;
    Line header;
    bool keyFound = false;
    Line key; // the first line of the wanted key
    bool hasKeyLine = false;
    Line lastKey; // the last key line of the section
    // Without a wanted key (a section deletion): the byte range of every key line.
    std::vector<std::pair<std::size_t, std::size_t>> keyRanges;
};

SectionScan ScanSection(std::string_view data, Encoding encoding, std::string_view section,
                        std::optional<std::string_view> key) {
    SectionScan scan;
    LineCursor cursor(data, encoding);
    Line line;
    while (cursor.Next(line)) {
        if (line.kind == LineKind::Header) {
            if (scan.found)
                break;
            if (NameMatches(line.name, section, encoding)) {
                scan.found = true;
                scan.header = line;
            }
        } else if (scan.found && line.kind == LineKind::Key) {
            scan.hasKeyLine = true;
            scan.lastKey = line;
            if (key) {
                if (!scan.keyFound && NameMatches(line.name, *key, encoding)) {
                    scan.keyFound = true;
                    scan.key = line;
                }
            } else {
                scan.keyRanges.emplace_back(line.begin, line.next);
            }
        }
    }
    return scan;
}

std::string Splice(std::string_view data, std::size_t from, std::size_t to,
                   std::string_view insert) {
    std::string out;
    out.reserve(data.size() - (to - from) + insert.size());
    out.append(data.substr(0, from));
    out.append(insert);
    out.append(data.substr(to));
    return out;
}

// A key=value write: the caller's names (UTF-8, trimmed) and the section, key
// and value as they go into the file.
struct KeyWrite {
    std::string_view section, key;
    std::string storedSection, storedKey, storedValue;
};

// The new contents for a key=value write.
std::string SetKey(std::string_view data, Encoding encoding, const KeyWrite& write) {
    const SectionScan scan = ScanSection(data, encoding, write.section, write.key);
    const std::string_view key = write.storedKey;
    const std::string_view value = write.storedValue;
    if (!scan.found) {
        std::string out(data);
        if (!out.empty() && out.back() != '\n' && out.back() != '\r')
            out += kCrLf;
        out.append("[").append(write.storedSection).append("]").append(kCrLf);
        out.append(key).append("=").append(value).append(kCrLf);
        return out;
    }
    if (scan.keyFound) {
        const Line& line = scan.key;
        std::string replacement(line.name);
        replacement.append("=").append(value);
        if (line.HasLineEnd())
            replacement.append(data.substr(line.end, line.next - line.end));
        else
            replacement.append(kCrLf);
        return Splice(data, line.begin, line.next, replacement);
    }
    const Line& after = scan.hasKeyLine ? scan.lastKey : scan.header;
    std::string insert;
    if (!after.HasLineEnd())
        insert.append(kCrLf);
    insert.append(key).append("=").append(value).append(kCrLf);
    return Splice(data, after.next, after.next, insert);
}

} // namespace

// ---------------------------------------------------------------------------
// The interface

std::string ProfileReadString(std::string_view section, std::string_view key,
                              std::string_view defaultValue, std::size_t bufferSize,
                              const std::string& path) {
    if (bufferSize == 0)
        return std::string();
    std::optional<StoredValue> value;
    try {
        value = LookUp(section, key, path);
    } catch (const std::exception&) {
        // Out of memory on an absurd file: as if the key were missing.
    }
    if (value && value->encoding == Encoding::Cp932)
        return Cp932ToUtf8(BoundCp932(value->bytes, bufferSize - 1));
    std::string result;
    if (value) {
        result = std::move(value->bytes);
    } else {
        std::string_view def = CutAtNul(defaultValue);
        while (!def.empty() && def.back() == ' ')
            def.remove_suffix(1);
        result.assign(def);
    }
    BoundUtf8(result, bufferSize - 1);
    return result;
}

int ProfileReadInt(std::string_view section, std::string_view key, int defaultValue,
                   const std::string& path) {
    std::optional<StoredValue> value;
    try {
        value = LookUp(section, key, path);
    } catch (const std::exception&) {
        return defaultValue; // out of memory on an absurd file: as if the key were missing
    }
    if (!value || value->bytes.empty())
        return defaultValue;
    std::string_view text = value->bytes; // digits and signs are ASCII in either encoding
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::uint32_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        number = number * 10u + static_cast<std::uint32_t>(c - '0'); // wraps mod 2^32
    }
    if (negative)
        number = 0u - number;
    // Two's complement reinterpretation, well defined since C++20.
    return static_cast<int>(static_cast<std::int32_t>(number));
}

namespace {

std::mutex& WriteMutex() {
    static std::mutex mutex;
    return mutex;
}

// A write whose text would make lines of its own: a line break anywhere, or a
// key that would start its line with '[' and so read as a section header.
bool AddsLines(std::string_view section, std::optional<std::string_view> key,
               std::optional<std::string_view> value) {
    auto hasBreak = [](std::string_view s) { return s.find_first_of("\r\n") != s.npos; };
    if (hasBreak(section) || (value && hasBreak(*value)))
        return true;
    return key && (hasBreak(*key) || TrimBlanks(*key).starts_with('['));
}

// Why a write failed: the fault and, for ProfileWriteFault::System, the errno
// value and whether the file may be damaged.
struct WriteFailure {
    ProfileWriteFault fault = ProfileWriteFault::None;
    int error = 0;
    bool damaged = false;
};

WriteFailure SystemFailure(int error) {
    return {ProfileWriteFault::System, error};
}

WriteFailure WriteLocked(std::string_view section, std::optional<std::string_view> key,
                         std::optional<std::string_view> value, const std::string& path) {
    if (AddsLines(section, key, value))
        return {ProfileWriteFault::LineBreak, 0};
    if (path.empty())
        return SystemFailure(ENOENT);
    std::string data;
    int readError = 0;
    const WholeRead read = ReadWholeFile(path, data, &readError);
    if (read == WholeRead::Failed)
        return SystemFailure(readError);
    const Encoding encoding = EncodingOf(data);
    section = TrimSpaces(section);
    if (key)
        key = TrimSpaces(*key);

    std::string updated;
    if (!key) {
        // Delete the first matching section: its header and key lines.
        if (read == WholeRead::Missing)
            return {};
        const SectionScan scan = ScanSection(data, encoding, section, std::nullopt);
        if (!scan.found)
            return {};
        updated.reserve(data.size());
        std::size_t copied = 0;
        auto drop = [&](std::size_t from, std::size_t to) {
            updated.append(std::string_view(data).substr(copied, from - copied));
            copied = to;
        };
        drop(scan.header.begin, scan.header.next);
        for (const auto& [from, to] : scan.keyRanges)
            drop(from, to);
        updated.append(std::string_view(data).substr(copied));
    } else if (!value) {
        // Delete the key.
        if (read == WholeRead::Missing)
            return {};
        const SectionScan scan = ScanSection(data, encoding, section, key);
        if (!scan.keyFound)
            return {};
        updated = Splice(data, scan.key.begin, scan.key.next, {});
    } else {
        auto storedSection = EncodeFor(section, encoding);
        auto storedKey = EncodeFor(*key, encoding);
        auto storedValue = EncodeFor(*value, encoding);
        if (!storedSection || !storedKey || !storedValue)
            return {ProfileWriteFault::NotEncodable, 0};
        updated = SetKey(data, encoding,
                         {section, *key, std::move(*storedSection), std::move(*storedKey),
                          std::move(*storedValue)});
    }

    // An edit that takes away the last bytes that are not UTF-8 would make the
    // rest of a CP932 file read as UTF-8: it is stored as UTF-8 then, so that
    // every other name and value keeps its text.
    if (encoding == Encoding::Cp932 && HasHighByte(updated) &&
        EncodingOf(updated) == Encoding::Utf8) {
        const std::size_t bom = updated.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
        updated = updated.substr(0, bom) + Cp932ToUtf8(std::string_view(updated).substr(bom));
    }
    bool damaged = false;
    const int error = WriteWholeFile(path, updated, FileKind::Precious, &damaged);
    return error ? WriteFailure{ProfileWriteFault::System, error, damaged} : WriteFailure{};
}

} // namespace

bool ProfileWriteString(std::string_view section, std::optional<std::string_view> key,
                        std::optional<std::string_view> value, const std::string& path,
                        ProfileWriteError* error, const ProfileWriteHook& onWritten) {
    WriteFailure failure;
    try {
        std::lock_guard<std::mutex> lock(WriteMutex());
        failure = WriteLocked(section, key, value, path);
    } catch (const std::exception&) {
        failure = SystemFailure(ENOMEM); // out of memory on an absurd file
    }
    if (error) {
        error->fault = failure.fault;
        error->systemText = failure.error ? std::strerror(failure.error) : "";
        error->mayBeDamaged = failure.damaged;
    }
    const bool ok = failure.fault == ProfileWriteFault::None;
    if (ok && key && value && onWritten)
        onWritten(section, *key, *value);
    return ok;
}

} // namespace platform
