// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/InsertTransformer.h"

#include "model/TransformerTypes.h"

#include "actions/FindHelpers.h"
#include "actions/MatchInsertion.h"
#include "actions/NormalizationSeam.h"

namespace quillory {

InsertTransformer::InsertTransformer(TransformerState state)
    : InsertTransformer(std::string(transformerTypeInfo(kTypeId)->helpText), std::move(state)) {}

InsertTransformer::InsertTransformer(std::string helpText, TransformerState state)
    : Transformable(std::move(helpText), std::move(state)) {}

std::string_view InsertTransformer::title() const {
    return transformerTypeInfo(kTypeId)->title;
}

TransformStatus InsertTransformer::transformWith(const TransformerProperties &properties, TransformScope scope,
                                                 File &file, int, TokenResolver &resolver, std::stop_token stop) {
    if (!properties.insertText)
        return TransformStatus::success();
    auto inserted = resolver.text(*properties.insertText, file, stop);
    if (!inserted)
        return inserted.error();

    // Anything but "start" counts as "end".
    const bool atStart = properties.insertPosition.value_or(std::string()) == "start";
    const std::ptrdiff_t offset = properties.insertOffset.value_or(0);
    const FindOptions options = FindOptions::insert(properties);
    return NormalizationSeam::rewrite(file, scope, [&](const std::string &text) {
        const std::vector<MatchRange> ranges = findMatches(text, options);
        if (ranges.empty())
            return TransformResult<std::optional<std::string>>(std::nullopt);
        return TransformResult<std::optional<std::string>>(
            insertAtMatches(text, ranges, NormalizationSeam::decomposed(*inserted), [&](const MatchRange &r) {
                return static_cast<std::ptrdiff_t>(atStart ? r.start : r.end) + offset;
            }));
    });
}

} // namespace quillory
