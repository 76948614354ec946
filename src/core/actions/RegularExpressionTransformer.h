// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/Transformable.h"
#include "model/TransformerTypes.h"

#include <string>
#include <string_view>

namespace quillory {

// Finds text with the user's regular expression (built from the find token string) and replaces each
// match by a template in which "$1", "$2" ... stand for the capture groups.
class RegularExpressionTransformer final : public Transformable {
public:
    RegularExpressionTransformer(std::string helpText, TransformerState state);
    explicit RegularExpressionTransformer(TransformerState state = {});

    std::string_view typeId() const override { return TransformerType::regularExpression; }
    std::string_view title() const override { return "RegEx"; }

    TransformStatus transformWith(const TransformerProperties& properties, TransformScope scope, File& file,
                                  int index, TokenResolver& resolver, std::stop_token stop) override;

    // The expression the find token string stands for; it does not depend on the file.
    static std::string expression(const TransformerProperties& properties);
};

} // namespace quillory
