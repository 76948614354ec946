// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/SelectTransformer.h"

#include "model/TransformerTypes.h"

#include "actions/NormalizationSeam.h"
#include "actions/PatternCache.h"
#include "app/Logger.h"
#include "text/Regex.h"
#include "text/Utf.h"

namespace quillory {
namespace {

bool isMatch(const std::string &text, const std::optional<std::string> &expression) {
    if (!expression || expression->empty())
        return false;
    auto regex = PatternCache::get("select:" + *expression, [&] {
        return text::Regex::compile(std::string_view(NormalizationSeam::decomposed(*expression)),
                                    text::RegexOptions{true});
    });
    if (!regex) {
        Logger::log("isMatch error: ", regex.error().message);
        return false;
    }
    return regex->contains(text::toUtf16(text));
}

} // namespace

SelectTransformer::SelectTransformer(TransformerState state)
    : SelectTransformer(std::string(transformerTypeInfo(kTypeId)->helpText), std::move(state)) {}

SelectTransformer::SelectTransformer(std::string helpText, TransformerState state)
    : Transformable(std::move(helpText), std::move(state)) {}

std::string_view SelectTransformer::title() const {
    return transformerTypeInfo(kTypeId)->title;
}

TransformStatus SelectTransformer::transformWith(const TransformerProperties &properties, TransformScope scope,
                                                 File &file, int, TokenResolver &, std::stop_token) {
    const std::string type = properties.selectType.value_or("all");
    if (type == "all") {
        file.transformed.isSelected = true;
        return TransformStatus::success();
    }
    const NormalizationSeam seam(file.transformed.text(scope));
    const bool matched = isMatch(seam.working(), properties.selectMatch);
    // Any type but "matching" selects the files that do not match.
    file.transformed.isSelected = type == "matching" ? matched : !matched;
    return TransformStatus::success();
}

} // namespace quillory
