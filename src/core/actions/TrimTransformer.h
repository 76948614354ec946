// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/Transformable.h"
#include "model/TransformerTypes.h"

#include <string>
#include <string_view>

namespace quillory {

// Removes (or keeps only) up to a number of characters at the start, the end or both ends of the text,
// of each match of the find text, or of each path component. Counts are user-perceived characters.
class TrimTransformer final : public Transformable {
public:
    TrimTransformer(std::string helpText, TransformerState state);
    explicit TrimTransformer(TransformerState state = {});

    std::string_view typeId() const override { return TransformerType::trim; }
    std::string_view title() const override { return "Trim"; }

    TransformStatus transformWith(const TransformerProperties& properties, TransformScope scope, File& file,
                                  int index, TokenResolver& resolver, std::stop_token stop) override;

    // The one expression a piece is rewritten with ("$1$2$3"): in trim mode its groups hold what
    // remains, in keep mode what is kept. Every unit is a whole character (grapheme cluster); the
    // character sets test a character's first code point.
    static std::string trimExpression(const TransformerProperties& properties);

    // The trim of a whole text (or of one find match): the text as one piece, or cut into path
    // components when the position contains "each". The output is compatibility-decomposed (NFKD).
    static std::string trimText(std::string_view text, const TransformerProperties& properties);
};

} // namespace quillory
