// SPDX-License-Identifier: GPL-3.0-or-later
// Lookup tables imported from CSV text.
#include "FuzzSupport.h"

#include "actions/CsvParser.h"
#include "actions/LookupTableImport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace quillory;
    const std::string_view text = fuzz::input(data, size);
    const auto rows = lookupRowsFromText(text);
    for (const auto &row : rows)
        fuzz::require(!row.find.empty() && row.find.size() + row.replace.size() <= text.size());
    // One line on its own never yields more fields than it has characters plus one.
    const std::string_view firstLine = text.substr(0, text.find_first_of("\r\n"));
    fuzz::require(CsvParser().fields(firstLine).size() <= firstLine.size() + 1);
    return 0;
}
