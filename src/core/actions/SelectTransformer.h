// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/Transformable.h"
#include "model/TransformerTypes.h"

#include <string>
#include <string_view>

namespace quillory {

// Select: decides per file whether the actions after it apply, from a case-insensitive regular expression on the text
// of its scope. Never changes a text and resolves no tokens.
class SelectTransformer final : public Transformable {
public:
    static constexpr std::string_view kTypeId = TransformerType::select;

    explicit SelectTransformer(TransformerState state = {});
    SelectTransformer(std::string helpText, TransformerState state);

    std::string_view typeId() const override { return kTypeId; }
    std::string_view title() const override;

    TransformStatus transformWith(const TransformerProperties &properties, TransformScope scope, File &file, int index,
                                  TokenResolver &resolver, std::stop_token stop) override;
};

} // namespace quillory
