// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/Transformable.h"
#include "model/TransformerTypes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quillory {

// Inserts a sequence number, or a random number unique among the action's files, before or after
// each match of the find text (after the whole text by default).
class NumberingTransformer final : public Transformable {
public:
    // Widest zero padding; names cannot be longer than this anyway.
    static constexpr int maxPaddingDigits = 255;

    NumberingTransformer(std::string helpText, TransformerState state);
    explicit NumberingTransformer(TransformerState state = {});

    std::string_view typeId() const override { return TransformerType::numbering; }
    std::string_view title() const override { return "Number"; }

    TransformStatus transformWith(const TransformerProperties& properties, TransformScope scope, File& file,
                                  int index, TokenResolver& resolver, std::stop_token stop) override;

    // The sequence value of the file at list position `index`: start + step * n, where n counts from
    // the start of the file's directory run when restarting per directory, is divided by the repeat
    // count and wraps at the reset count.
    static std::int64_t numberValue(const TransformerProperties& properties, const File& file, int index);
    // Decimal (zero-padded, sign first), upper-case hexadecimal or Roman numerals.
    static std::string formatNumber(std::int64_t value, const TransformerProperties& properties);
    // "N" for 0, nothing for non-zero multiples of 100000, "-" before negative values.
    static std::string romanNumeral(std::int64_t value);
    // The minimum digit count (numberDigitText), at least 1.
    static int digitCount(const TransformerProperties& properties);
    static int randomBase(const TransformerProperties& properties);

protected:
    // The full pass draws random numbers; the quick pass inserts the sequence value as a placeholder
    // for a number not drawn yet and asks for a late update.
    TransformStatus dispatch(const TransformerProperties& properties, TransformScope scope, File& file, int index,
                             bool quick, std::stop_token stop) override;

private:
    TransformStatus run(const TransformerProperties& properties, TransformScope scope, File& file, int index,
                        bool quick);
};

} // namespace quillory
