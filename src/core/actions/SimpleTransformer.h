// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/Transformable.h"
#include "model/TransformerTypes.h"

#include <string>
#include <string_view>

namespace quillory {

// Replace: every match of a literal or wildcard find text is replaced by the resolved text, which may refer to the
// wildcards as $1, $2 ...
class SimpleTransformer final : public Transformable {
public:
    static constexpr std::string_view kTypeId = TransformerType::simple;

    explicit SimpleTransformer(TransformerState state = {});
    SimpleTransformer(std::string helpText, TransformerState state);

    std::string_view typeId() const override { return kTypeId; }
    std::string_view title() const override;

    TransformStatus transformWith(const TransformerProperties &properties, TransformScope scope, File &file, int index,
                                  TokenResolver &resolver, std::stop_token stop) override;
};

} // namespace quillory
