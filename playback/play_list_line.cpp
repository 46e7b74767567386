#include "playback/play_list_line.h"

#include "core/numbers.h"

namespace {
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
} // namespace

PlayListLine ClassifyPlayListLine(std::string_view row) {
    PlayListLine line;
    const char c0 = row.size() > 0 ? row[0] : 0;
    const char c1 = row.size() > 1 ? row[1] : 0;
    const char c2 = row.size() > 2 ? row[2] : 0;
    if (((c0 >= '1' && c0 <= '9') || IsAsciiLetter(c0)) && c1 == ':' && c2 == ',') {
        line.kind = PlayListLine::Kind::Target;
        line.target = c0;
        line.body = row.substr(3);
    } else if (IsDigit(c0) || c1 == ':') {
        line.kind = PlayListLine::Kind::Plain;
        line.body = row;
    } else {
        return line;
    }
    line.id = static_cast<std::int16_t>(static_cast<std::uint16_t>(AtoiLike(line.body)));
    if (auto comma = line.body.find(','); comma != std::string_view::npos) {
        line.hasComma = true;
        line.extraSeconds = AtoiLike(line.body.substr(comma + 1));
    }
    return line;
}

std::string PlayListLine::IdText() const {
    std::string_view text = body.substr(0, body.find(','));
    text = text.substr(0, text.find(';'));
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32)
        text.remove_suffix(1);
    return std::string(text);
}
