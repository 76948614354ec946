// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/LookupTableImport.h"

#include "actions/CsvParser.h"
#include "app/RegularFile.h"

namespace quillory {

LookupImport lookupImportFromText(std::string_view text) {
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(byteOrderMark))
        text.remove_prefix(byteOrderMark.size());

    LookupImport result;
    const CsvParser parser;
    std::size_t lineStart = 0;
    std::size_t lineNumber = 1;
    while (lineStart <= text.size()) {
        std::size_t lineEnd = text.find_first_of("\r\n", lineStart);
        if (lineEnd == std::string_view::npos)
            lineEnd = text.size();
        const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
        const auto fields = parser.fields(line);
        if (fields.size() >= 2 && !fields[0].empty())
            result.rows.push_back({fields[0], fields[1]});
        else if (line.find_first_not_of(" \t") != std::string_view::npos)
            result.skipped.push_back({lineNumber, std::string(line),
                                      std::string(fields.size() < 2 ? lookupLineWithOneField : lookupLineWithEmptyFind)});
        // Every carriage return counts as a line feed for the rows; a CR LF pair still ends one line.
        const bool crlf = lineEnd + 1 < text.size() && text[lineEnd] == '\r' && text[lineEnd + 1] == '\n';
        if (!crlf)
            ++lineNumber;
        lineStart = lineEnd + 1;
    }
    return result;
}

std::vector<LookupTableRow> lookupRowsFromText(std::string_view text) { return lookupImportFromText(text).rows; }

Result<std::vector<LookupTableRow>> importLookupFile(const std::filesystem::path& path) {
    auto content = RegularFile::read(path);
    if (!content)
        return Error{"Could not read the lookup file: " + content.error().message};
    return lookupRowsFromText(*content);
}

Result<LookupImport> importLookupFileWithReport(const std::filesystem::path& path) {
    auto content = RegularFile::read(path);
    if (!content)
        return Error{"Could not read the lookup file: " + content.error().message};
    return lookupImportFromText(*content);
}

namespace {

std::string csvField(const std::string& field) {
    const bool plain = field.find_first_of(";\"") == std::string::npos && !field.empty() && field.front() != ' ' &&
                       field.front() != '\t';
    if (plain)
        return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

} // namespace

std::string lookupTableText(const std::vector<LookupTableRow>& rows, std::vector<std::size_t>* leftOut) {
    std::string text;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& row = rows[i];
        if (row.find.empty() || row.find.find_first_of("\r\n") != std::string::npos ||
            row.replace.find_first_of("\r\n") != std::string::npos) {
            if (leftOut)
                leftOut->push_back(i);
            continue;
        }
        // An empty replacement is an empty second field; the parser reports it only when a field follows.
        text += csvField(row.find) + ";" + (row.replace.empty() ? std::string(";") : csvField(row.replace)) + "\n";
    }
    return text;
}

} // namespace quillory
