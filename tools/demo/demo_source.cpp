#include "tools/demo/demo_source.h"

#include <charconv>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/text.h"

namespace demo {

namespace {

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = line.find('|', start);
        fields.push_back(Trim(line.substr(start, bar - start)));
        if (bar == std::string::npos)
            return fields;
        start = bar + 1;
    }
}

bool ParseNumber(const std::string& text, int base, long long& value) {
    std::string digits = text;
    if (base == 16 && (digits.starts_with("0x") || digits.starts_with("0X")))
        digits = digits.substr(2);
    if (digits.empty())
        return false;
    const auto [end, ec] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    return ec == std::errc() && end == digits.data() + digits.size();
}

std::string FileFor(const std::string& pattern, int id) {
    char two[16];
    std::snprintf(two, sizeof two, "%02d", id);
    std::string file = pattern;
    for (const auto& [key, value] :
         {std::pair<std::string, std::string>{"{id2}", two}, {"{id}", std::to_string(id)}}) {
        for (std::size_t at; (at = file.find(key)) != std::string::npos;)
            file.replace(at, key.size(), value);
    }
    return file;
}

} // namespace

std::string FlagColumns(unsigned flags) {
    std::string columns;
    for (int bit = 11; bit >= 0; --bit) {
        if (!columns.empty())
            columns += ',';
        columns += ((flags >> bit) & 1u) ? '1' : '0';
    }
    return columns;
}

bool ReadCatalogueSource(const std::string& path, CatalogueSource& source, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    source = {};
    std::set<std::string> labels;
    std::set<int> ids;
    int lineNumber = 0;
    auto fail = [&](const std::string& what) {
        error = path + ":" + std::to_string(lineNumber) + ": " + what;
        return false;
    };
    for (std::string raw; std::getline(in, raw);) {
        ++lineNumber;
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#')
            continue;
        if (!platform::IsValidUtf8(line))
            return fail("not UTF-8");
        if (line.starts_with("@header ")) {
            source.header = Trim(line.substr(8));
            continue;
        }
        if (line.starts_with("@file ")) {
            source.filePattern = Trim(line.substr(6));
            continue;
        }
        if (line[0] == '@')
            return fail("unknown directive");

        const auto fields = SplitFields(raw);
        if (fields.size() != 6 && fields.size() != 7)
            return fail("a row has 6 or 7 fields: set | id | category | flags | label | reading "
                        "[| file]");
        SourceRow row;
        row.line = lineNumber;
        row.set = fields[0];
        long long number = 0;
        if (!row.set.empty() && !ParseNumber(row.set, 10, number))
            return fail("the set is not a decimal number");
        if (!ParseNumber(fields[1], 10, number) || number < -32768 || number > 32767)
            return fail("the sound id is not a 16-bit number");
        row.id = static_cast<int>(number);
        if (!ParseNumber(fields[2], 10, number) || number < 0 || number > 255)
            return fail("the category is not a number 0..255");
        row.category = static_cast<int>(number);
        if (fields[3] == "-") {
            row.hasFlags = false;
        } else {
            if (!ParseNumber(fields[3], 16, number) || number < 0 || number > 0xFFF)
                return fail("the flags are not a hexadecimal number 0..0xFFF");
            row.flags = static_cast<unsigned>(number);
        }
        row.label = fields[4];
        row.reading = fields[5].empty() ? fields[4] : fields[5];
        if (fields.size() == 7 && !fields[6].empty())
            row.file = fields[6];
        else if (!source.filePattern.empty())
            row.file = FileFor(source.filePattern, row.id);
        else
            return fail("no file and no @file pattern");
        if (row.label.empty())
            return fail("the label is empty");
        for (const std::string* text : {&row.set, &row.label, &row.reading, &row.file}) {
            if (text->find(',') != std::string::npos)
                return fail("a field holds a comma");
        }
        if (!labels.insert(row.label).second)
            return fail("the label " + row.label + " occurs twice");
        if (!ids.insert(row.id).second)
            return fail("the sound id " + std::to_string(row.id) + " occurs twice");
        source.rows.push_back(std::move(row));
    }
    if (source.header.empty()) {
        error = path + ": no @header";
        return false;
    }
    return true;
}

bool ToCp932Lines(const std::string& utf8, std::string& cp932, std::string& error) {
    cp932.clear();
    std::istringstream in(utf8);
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        bool exact = true;
        const std::string bytes = platform::Utf8ToCp932(line, &exact);
        if (!exact) {
            error = "line " + std::to_string(lineNumber) + " has a character without a CP932 form";
            return false;
        }
        if (bytes.size() + 1 > platform::TextRowReader::kRowLimit) {
            error = "line " + std::to_string(lineNumber) + " is longer than one row (255 bytes)";
            return false;
        }
        cp932 += bytes;
        cp932 += "\r\n";
    }
    return true;
}

} // namespace demo
