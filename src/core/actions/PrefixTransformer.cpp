// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/PrefixTransformer.h"

#include "model/TransformerTypes.h"

#include "actions/FindHelpers.h"
#include "actions/MatchInsertion.h"
#include "actions/NormalizationSeam.h"

namespace quillory {

PrefixTransformer::PrefixTransformer(TransformerState state)
    : PrefixTransformer(std::string(transformerTypeInfo(kTypeId)->helpText), std::move(state)) {}

PrefixTransformer::PrefixTransformer(std::string helpText, TransformerState state)
    : Transformable(std::move(helpText), std::move(state)) {}

std::string_view PrefixTransformer::title() const {
    return transformerTypeInfo(kTypeId)->title;
}

TransformStatus PrefixTransformer::transformWith(const TransformerProperties &properties, TransformScope scope,
                                                 File &file, int, TokenResolver &resolver) {
    // An absent text renders as empty; the resolver still runs.
    auto inserted = resolver.text(properties.prefixText, file);
    if (!inserted)
        return inserted.error();

    const FindOptions options = FindOptions::prefix(properties);
    return NormalizationSeam::rewrite(file, scope, [&](const std::string &text) {
        const std::vector<MatchRange> ranges = findMatches(text, options);
        if (ranges.empty())
            return TransformResult<std::optional<std::string>>(std::nullopt);
        return TransformResult<std::optional<std::string>>(insertAtMatches(
            text, ranges, *inserted, [](const MatchRange &r) { return static_cast<std::ptrdiff_t>(r.start); }));
    });
}

} // namespace quillory
