// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// Splits one line of a semicolon-separated file into fields. A field may be put between double quotes
// to hold ";"; inside quotes two double quotes stand for one. Every field of the line follows the same
// quoting rules. A trailing empty field is not reported.
class CsvParser {
public:
    static constexpr char separator = ';';
    static constexpr char quote = '"';

    void parse(std::string_view line, const std::function<void(std::string field)>& onField) const;
    std::vector<std::string> fields(std::string_view line) const;
};

} // namespace quillory
