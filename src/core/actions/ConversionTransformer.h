// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/Transformable.h"
#include "model/TransformerTypes.h"

#include <string>
#include <string_view>

namespace quillory {

// Applies one character conversion (case, diacritics, Windows-safe characters or the lookup table) to
// every match of the find text, or to the whole text when the find text is empty.
class ConversionTransformer final : public Transformable {
public:
    ConversionTransformer(std::string helpText, TransformerState state);
    explicit ConversionTransformer(TransformerState state = {});

    std::string_view typeId() const override { return TransformerType::conversion; }
    std::string_view title() const override { return "Convert"; }

    TransformStatus transformWith(const TransformerProperties& properties, TransformScope scope, File& file,
                                  int index, TokenResolver& resolver, std::stop_token stop) override;

    // The whole conversion of one text: the find pattern's matches, converted from the last to the first.
    static std::string convertText(std::string_view text, const TransformerProperties& properties);
    // The conversion of one matched text by conversionType; an unknown type leaves it unchanged.
    static std::string convertMatch(std::string_view text, const TransformerProperties& properties);

    // The single conversions, each on a whole text.
    static std::string capitalizeFirstWord(std::string_view text);
    static std::string windowsCompatible(std::string_view text);
    // Rows in order, each on the result of the rows before; a row with fewer than two strings or a find
    // text that does not compile is passed over.
    static std::string applyLookup(std::string_view text, const TransformerProperties& properties);
};

} // namespace quillory
