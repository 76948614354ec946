// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/CsvParser.h"

namespace quillory {

void CsvParser::parse(std::string_view line, const std::function<void(std::string field)>& onField) const {
    std::string field;
    bool quoted = false;
    // Both special characters are ASCII, so walking UTF-8 bytes never splits a character.
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != quote) {
                field += c;
            } else if (i + 1 < line.size() && line[i + 1] == quote) {
                field += quote;
                ++i;
            } else {
                quoted = false;
            }
            continue;
        }
        if (c == quote) {
            quoted = true;
        } else if (c == separator) {
            onField(std::move(field));
            field.clear();
        } else {
            field += c;
        }
    }
    if (!field.empty())
        onField(std::move(field));
}

std::vector<std::string> CsvParser::fields(std::string_view line) const {
    std::vector<std::string> result;
    parse(line, [&result](std::string field) { result.push_back(std::move(field)); });
    return result;
}

} // namespace quillory
