// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/SuffixTransformer.h"

#include "model/TransformerTypes.h"

#include "actions/MatchInsertion.h"

namespace quillory {

SuffixTransformer::SuffixTransformer(TransformerState state)
    : SuffixTransformer(std::string(transformerTypeInfo(kTypeId)->helpText), std::move(state)) {}

SuffixTransformer::SuffixTransformer(std::string helpText, TransformerState state)
    : Transformable(std::move(helpText), std::move(state)) {}

std::string_view SuffixTransformer::title() const {
    return transformerTypeInfo(kTypeId)->title;
}

TransformStatus SuffixTransformer::transformWith(const TransformerProperties &properties, TransformScope scope,
                                                 File &file, int, TokenResolver &resolver, std::stop_token stop) {
    return insertAtEachMatch(properties.suffixText, FindOptions::suffix(properties),
                             MatchEdge::end, scope, file, resolver, stop);
}

} // namespace quillory
