// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/RegularExpressionTransformer.h"

#include "actions/FindHelpers.h"
#include "actions/NormalizationSeam.h"
#include "tokens/RegExpResolver.h"

namespace quillory {

RegularExpressionTransformer::RegularExpressionTransformer(std::string helpText, TransformerState state)
    : Transformable(std::move(helpText), std::move(state)) {}

RegularExpressionTransformer::RegularExpressionTransformer(TransformerState state)
    : Transformable(std::string(transformerTypeInfo(TransformerType::regularExpression)->helpText),
                    std::move(state)) {}

std::string RegularExpressionTransformer::expression(const TransformerProperties& properties) {
    if (!properties.regexFindText)
        return {};
    return RegExpResolver::resolve(*properties.regexFindText).pattern;
}

TransformStatus RegularExpressionTransformer::transformWith(const TransformerProperties& properties,
                                                            TransformScope scope, File& file, int,
                                                            TokenResolver& resolver, std::stop_token stop) {
    const std::string pattern = expression(properties);
    // Nothing to find: the replacement is not even resolved, so unloaded attributes cannot delay the file.
    if (pattern.empty())
        return TransformStatus::success();
    auto replacement = resolver.text(properties.regexReplaceText, file, stop);
    if (!replacement)
        return replacement.error();

    // The working text is decomposed; so is what the template inserts.
    const std::string replacementTemplate = NormalizationSeam::decomposed(*replacement);
    const bool caseInsensitive = properties.regexCaseInsensitive.value_or(false);
    const bool findFirst = properties.regexFindFirst.value_or(false);
    return NormalizationSeam::rewrite(
        file, scope, [&](const std::string& working) -> TransformResult<std::optional<std::string>> {
            return std::optional<std::string>(
                replaceMatches(working, pattern, replacementTemplate, caseInsensitive, findFirst));
        });
}

} // namespace quillory
