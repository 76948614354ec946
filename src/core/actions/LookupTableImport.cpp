// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/LookupTableImport.h"

#include "actions/CsvParser.h"
#include "app/RegularFile.h"

namespace quillory {

std::vector<LookupTableRow> lookupRowsFromText(std::string_view text) {
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(byteOrderMark))
        text.remove_prefix(byteOrderMark.size());

    std::vector<LookupTableRow> rows;
    const CsvParser parser;
    std::size_t lineStart = 0;
    while (lineStart <= text.size()) {
        std::size_t lineEnd = text.find_first_of("\r\n", lineStart);
        if (lineEnd == std::string_view::npos)
            lineEnd = text.size();
        const auto fields = parser.fields(text.substr(lineStart, lineEnd - lineStart));
        if (fields.size() >= 2 && !fields[0].empty())
            rows.push_back({fields[0], fields[1]});
        lineStart = lineEnd + 1;
    }
    return rows;
}

Result<std::vector<LookupTableRow>> importLookupFile(const std::filesystem::path& path) {
    auto content = RegularFile::read(path);
    if (!content)
        return Error{"Could not read the lookup file: " + content.error().message};
    return lookupRowsFromText(*content);
}

} // namespace quillory
