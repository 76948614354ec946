// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/Transformable.h"
#include "model/TransformerTypes.h"

#include <string>
#include <string_view>

namespace quillory {

// Suffix: the resolved text goes after each match (after the whole text when the find text is empty).
class SuffixTransformer final : public Transformable {
public:
    static constexpr std::string_view kTypeId = TransformerType::suffix;

    explicit SuffixTransformer(TransformerState state = {});
    SuffixTransformer(std::string helpText, TransformerState state);

    std::string_view typeId() const override { return kTypeId; }
    std::string_view title() const override;

    TransformStatus transformWith(const TransformerProperties &properties, TransformScope scope, File &file, int index,
                                  TokenResolver &resolver, std::stop_token stop) override;
};

} // namespace quillory
