// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/PrefixTransformer.h"

#include "model/TransformerTypes.h"

#include "actions/MatchInsertion.h"

namespace quillory {

PrefixTransformer::PrefixTransformer(TransformerState state)
    : PrefixTransformer(std::string(transformerTypeInfo(kTypeId)->helpText), std::move(state)) {}

PrefixTransformer::PrefixTransformer(std::string helpText, TransformerState state)
    : Transformable(std::move(helpText), std::move(state)) {}

std::string_view PrefixTransformer::title() const {
    return transformerTypeInfo(kTypeId)->title;
}

TransformStatus PrefixTransformer::transformWith(const TransformerProperties &properties, TransformScope scope,
                                                 File &file, int, TokenResolver &resolver, std::stop_token stop) {
    return insertAtEachMatch(properties.prefixText, FindOptions::prefix(properties),
                             MatchEdge::start, scope, file, resolver, stop);
}

} // namespace quillory
