// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/SimpleTransformer.h"

#include "model/TransformerTypes.h"

#include "actions/FindHelpers.h"
#include "actions/NormalizationSeam.h"

namespace quillory {

SimpleTransformer::SimpleTransformer(TransformerState state)
    : SimpleTransformer(std::string(transformerTypeInfo(kTypeId)->helpText), std::move(state)) {}

SimpleTransformer::SimpleTransformer(std::string helpText, TransformerState state)
    : Transformable(std::move(helpText), std::move(state)) {}

std::string_view SimpleTransformer::title() const {
    return transformerTypeInfo(kTypeId)->title;
}

TransformStatus SimpleTransformer::transformWith(const TransformerProperties &properties, TransformScope scope,
                                                 File &file, int, TokenResolver &resolver) {
    const FindOptions options = FindOptions::simple(properties);
    // Nothing to find: the replacement is not even resolved, so missing attributes cannot delay the file.
    if (options.findText.empty())
        return TransformStatus::success();
    auto replacement = resolver.text(properties.simpleReplaceText, file);
    if (!replacement)
        return replacement.error();

    const std::string pattern =
        options.wildcards ? wildcardPattern(options.findText) : literalPattern(options.findText);
    return NormalizationSeam::rewrite(file, scope, [&](const std::string &text) {
        return TransformResult<std::optional<std::string>>(
            replaceMatches(text, pattern, *replacement, options.caseInsensitive, options.findFirst));
    });
}

} // namespace quillory
