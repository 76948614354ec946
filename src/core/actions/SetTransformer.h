// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/Transformable.h"
#include "model/TransformerTypes.h"

#include <string>
#include <string_view>

namespace quillory {

// Set: the resolved text replaces the whole text when the source full path, where the file was when it was added,
// matches.
class SetTransformer final : public Transformable {
public:
    static constexpr std::string_view kTypeId = TransformerType::set;

    explicit SetTransformer(TransformerState state = {});
    SetTransformer(std::string helpText, TransformerState state);

    std::string_view typeId() const override { return kTypeId; }
    std::string_view title() const override;

    TransformStatus transformWith(const TransformerProperties &properties, TransformScope scope, File &file, int index,
                                  TokenResolver &resolver, std::stop_token stop) override;
};

} // namespace quillory
