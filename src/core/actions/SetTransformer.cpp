// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/SetTransformer.h"

#include "model/TransformerTypes.h"

#include "actions/FindHelpers.h"
#include "actions/NormalizationSeam.h"

namespace quillory {

SetTransformer::SetTransformer(TransformerState state)
    : SetTransformer(std::string(transformerTypeInfo(kTypeId)->helpText), std::move(state)) {}

SetTransformer::SetTransformer(std::string helpText, TransformerState state)
    : Transformable(std::move(helpText), std::move(state)) {}

std::string_view SetTransformer::title() const {
    return transformerTypeInfo(kTypeId)->title;
}

TransformStatus SetTransformer::transformWith(const TransformerProperties &properties, TransformScope scope, File &file,
                                              int, TokenResolver &resolver, std::stop_token stop) {
    auto text = resolver.text(properties.setText, file, stop);
    if (!text)
        return text.error();

    // Where the file was when it was added decides, not what earlier actions made of it.
    const std::string source = NormalizationSeam::decomposed(file.source.fullPath());
    if (findMatches(source, FindOptions::set(properties)).empty())
        return TransformStatus::success();
    return NormalizationSeam::rewrite(file, scope, [&](const std::string &) {
        return TransformResult<std::optional<std::string>>(NormalizationSeam::decomposed(*text));
    });
}

} // namespace quillory
