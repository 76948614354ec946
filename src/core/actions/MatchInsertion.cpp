// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/MatchInsertion.h"

#include "actions/CharacterText.h"
#include "actions/FindHelpers.h"
#include "actions/NormalizationSeam.h"
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

TransformStatus insertAtEachMatch(const std::optional<TokenString> &text, const FindOptions &options, MatchEdge edge,
                                  TransformScope scope, File &file, TokenResolver &resolver,
                                  std::stop_token stop) {
    // An absent text renders as empty; the resolver still runs.
    auto inserted = resolver.text(text, file, stop);
    if (!inserted)
        return inserted.error();
    return NormalizationSeam::rewrite(file, scope, [&](const std::string &current) {
        const std::vector<MatchRange> ranges = findMatches(current, options);
        if (ranges.empty())
            return TransformResult<std::optional<std::string>>(std::nullopt);
        return TransformResult<std::optional<std::string>>(
            insertAtMatches(current, ranges, NormalizationSeam::decomposed(*inserted), [edge](const MatchRange &r) {
                return static_cast<std::ptrdiff_t>(edge == MatchEdge::start ? r.start : r.end);
            }));
    });
}

} // namespace quillory
