// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/SuffixTransformer.h"

#include "model/TransformerTypes.h"

#include "actions/FindHelpers.h"
#include "actions/MatchInsertion.h"
#include "actions/NormalizationSeam.h"

namespace quillory {

SuffixTransformer::SuffixTransformer(TransformerState state)
    : SuffixTransformer(std::string(transformerTypeInfo(kTypeId)->helpText), std::move(state)) {}

SuffixTransformer::SuffixTransformer(std::string helpText, TransformerState state)
    : Transformable(std::move(helpText), std::move(state)) {}

std::string_view SuffixTransformer::title() const {
    return transformerTypeInfo(kTypeId)->title;
}

TransformStatus SuffixTransformer::transformWith(const TransformerProperties &properties, TransformScope scope,
                                                 File &file, int, TokenResolver &resolver) {
    // An absent text renders as empty; the resolver still runs.
    auto inserted = resolver.text(properties.suffixText, file);
    if (!inserted)
        return inserted.error();

    const FindOptions options = FindOptions::suffix(properties);
    return NormalizationSeam::rewrite(file, scope, [&](const std::string &text) {
        const std::vector<MatchRange> ranges = findMatches(text, options);
        if (ranges.empty())
            return TransformResult<std::optional<std::string>>(std::nullopt);
        return TransformResult<std::optional<std::string>>(insertAtMatches(
            text, ranges, *inserted, [](const MatchRange &r) { return static_cast<std::ptrdiff_t>(r.end); }));
    });
}

} // namespace quillory
