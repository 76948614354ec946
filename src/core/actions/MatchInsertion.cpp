// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/MatchInsertion.h"

#include "actions/CharacterText.h"
#include "text/Utf.h"

namespace quillory {

std::string insertAtMatches(std::string_view text, const std::vector<MatchRange> &ranges, std::string_view inserted,
                            const std::function<std::ptrdiff_t(const MatchRange &)> &position) {
    CharacterText result(text);
    const std::u16string insertion = text::toUtf16(inserted);
    for (auto range = ranges.rbegin(); range != ranges.rend(); ++range)
        result.insert(position(*range), insertion);
    return result.utf8();
}

} // namespace quillory
