#include "print_line.h"

#include <cstdarg>
#include <vector>

#include "platform/text.h"

namespace card {

namespace {

// The length of the UTF-8 sequence that a lead byte starts (1 when it starts
// none).
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 1;
}

void AppendHex(std::string& out, unsigned char c) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", c);
    out += hex;
}

} // namespace

std::string EscapeControls(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c < 0x20 || c == 0x7F)
                AppendHex(out, c);
            else
                out += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t n = SequenceLength(c);
        const std::string_view sequence = text.substr(i, n);
        const bool c1 =
            c == 0xC2 && sequence.size() == 2 && static_cast<unsigned char>(sequence[1]) < 0xA0;
        if (n > 1 && sequence.size() == n && !c1 && platform::IsValidUtf8(sequence)) {
            out += sequence;
            i += n;
        } else {
            AppendHex(out, c);
            ++i;
        }
    }
    return out;
}

void PrintLine(std::FILE* stream, std::string_view text) {
    const std::string line = EscapeControls(text) + '\n';
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

void PrintLinef(std::FILE* stream, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) + 1 : 1, '\0');
    if (size > 0)
        std::vsnprintf(buffer.data(), buffer.size(), format, again);
    va_end(again);
    PrintLine(stream,
              std::string_view(buffer.data(), size > 0 ? static_cast<std::size_t>(size) : 0));
}

} // namespace card
