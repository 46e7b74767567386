#include "multipart.h"

#include <vector>

namespace card {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != Lower(prefix[i]))
            return false;
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The value of a parameter (name=value or name="value") in a header value
// whose parameters are separated by ';'. Quoted values end at the next quote:
// a backslash inside them is a plain character (Windows paths).
std::optional<std::string> Parameter(std::string_view value, std::string_view name) {
    std::size_t pos = 0;
    while (pos < value.size()) {
        // One parameter from pos to the next ';' outside quotes.
        std::size_t end = pos;
        bool quoted = false;
        while (end < value.size() && (quoted || value[end] != ';')) {
            if (value[end] == '"')
                quoted = !quoted;
            ++end;
        }
        std::string_view param = Trim(value.substr(pos, end - pos));
        const std::size_t eq = param.find('=');
        if (eq != std::string_view::npos) {
            const std::string_view key = Trim(param.substr(0, eq));
            std::string_view v = Trim(param.substr(eq + 1));
            if (key.size() == name.size() && StartsWithNoCase(key, name)) {
                if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
                    v = v.substr(1, v.size() - 2);
                else if (!v.empty() && v.front() == '"')
                    v.remove_prefix(1); // an unterminated quote: take the rest
                return std::string(v);
            }
        }
        pos = end + 1;
    }
    return std::nullopt;
}

// Reads one line ending in CRLF or LF from pos; nullopt when no line end follows.
std::optional<std::string_view> ReadLine(std::string_view body, std::size_t& pos) {
    const std::size_t lf = body.find('\n', pos);
    if (lf == std::string_view::npos)
        return std::nullopt;
    std::size_t end = lf;
    if (end > pos && body[end - 1] == '\r')
        --end;
    std::string_view line = body.substr(pos, end - pos);
    pos = lf + 1;
    return line;
}

} // namespace

std::string BoundaryOf(std::string_view contentType) {
    const std::size_t semi = contentType.find(';');
    if (semi == std::string_view::npos)
        return {};
    return Parameter(contentType.substr(semi + 1), "boundary").value_or(std::string());
}

std::optional<UploadPart> ParseUpload(std::string_view body, std::string_view boundary,
                                      std::string& error) {
    if (boundary.empty() || boundary.size() > 200) {
        error = "no usable boundary";
        return std::nullopt;
    }
    const std::string delimiter = "--" + std::string(boundary);
    const std::string nextDelimiter = "\r\n" + delimiter;

    // The first delimiter: at the very start, or after a preamble line.
    std::size_t pos = 0;
    if (body.substr(0, delimiter.size()) != delimiter) {
        const std::size_t found = body.find("\n" + delimiter);
        if (found == std::string_view::npos) {
            error = "no boundary line";
            return std::nullopt;
        }
        pos = found + 1;
    }

    for (;;) {
        pos += delimiter.size();
        if (body.substr(pos, 2) == "--") {
            error = "no file part";
            return std::nullopt;
        }
        // Transport padding, then the end of the delimiter line.
        if (!ReadLine(body, pos)) {
            error = "truncated body";
            return std::nullopt;
        }

        // Header lines up to an empty line; in Voxlet's form the header line
        // is followed by the boundary line again and then the empty line.
        std::vector<std::string_view> headers;
        for (;;) {
            const auto line = ReadLine(body, pos);
            if (!line) {
                error = "unterminated part headers";
                return std::nullopt;
            }
            if (line->empty())
                break;
            if (*line == delimiter)
                continue; // Voxlet's repeated boundary line
            if (headers.size() > 64) {
                error = "too many part headers";
                return std::nullopt;
            }
            headers.push_back(*line);
        }

        const std::size_t dataStart = pos;
        const std::size_t dataEnd = body.find(nextDelimiter, dataStart);
        if (dataEnd == std::string_view::npos) {
            error = "no closing boundary";
            return std::nullopt;
        }

        for (std::string_view header : headers) {
            if (!StartsWithNoCase(header, "content-disposition:"))
                continue;
            const std::string_view value = header.substr(20);
            const std::size_t semi = value.find(';');
            if (semi == std::string_view::npos)
                continue;
            if (auto filename = Parameter(value.substr(semi + 1), "filename")) {
                UploadPart part;
                part.filename = std::move(*filename);
                part.data = body.substr(dataStart, dataEnd - dataStart);
                return part;
            }
        }
        pos = dataEnd + 2; // at the next delimiter
    }
}

} // namespace card
