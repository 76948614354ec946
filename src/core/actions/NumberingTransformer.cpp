// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/NumberingTransformer.h"

#include "actions/CharacterText.h"
#include "actions/FindHelpers.h"
#include "actions/IntegerText.h"
#include "actions/NormalizationSeam.h"
#include "text/Utf.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

namespace quillory {

namespace {

struct RomanNumeral {
    std::int64_t value;
    std::string_view numeral;
};

// U+2182 and U+2181 stand for ten thousand and five thousand.
constexpr std::array<RomanNumeral, 17> romanTable = {{
    {10000, "\u2182"}, {9000, "\u2181\u2182"}, {5000, "\u2181"}, {4000, "M\u2181"}, {1000, "M"},
    {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"}, {40, "XL"}, {10, "X"},
    {9, "IX"}, {5, "V"}, {4, "IV"}, {1, "I"},
}};

// Sequence arithmetic wraps instead of overflowing on absurd start and step texts.
std::int64_t wrappingAdd(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}
std::int64_t wrappingMultiply(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
}

} // namespace

NumberingTransformer::NumberingTransformer(std::string helpText, TransformerState state)
    : Transformable(std::move(helpText), std::move(state)) {}

NumberingTransformer::NumberingTransformer(TransformerState state)
    : Transformable(std::string(transformerTypeInfo(TransformerType::numbering)->helpText), std::move(state)) {}

int NumberingTransformer::digitCount(const TransformerProperties& properties) {
    const std::int64_t digits = integerOr(properties.numberDigitText, 1);
    return static_cast<int>(std::clamp<std::int64_t>(digits, 1, maxPaddingDigits));
}

int NumberingTransformer::randomBase(const TransformerProperties& properties) {
    return properties.numberFormat.value_or("") == "hexadecimal" ? 16 : 10;
}

std::int64_t NumberingTransformer::numberValue(const TransformerProperties& properties, const File& file,
                                               int index) {
    std::int64_t n = index;
    if (properties.numberResetEveryDirectoryChange.value_or(false))
        n -= file.transformed.sequenceOffset;
    const int repeat = properties.numberRepeatCount.value_or(1);
    if (repeat >= 2)
        n /= repeat;
    if (properties.numberResetEvery.value_or(false)) {
        // A count of zero or less cannot divide: the sequence then runs on without reset.
        const std::int64_t every = integerOr(properties.numberResetEveryText, 1);
        if (every > 0)
            n %= every;
    }
    const std::int64_t start = integerOr(properties.numberStartText, 1);
    const std::int64_t step = integerOr(properties.numberSkipText, 1);
    return wrappingAdd(start, wrappingMultiply(step, n));
}

std::string NumberingTransformer::romanNumeral(std::int64_t value) {
    if (value == 0)
        return "N";
    std::int64_t rest = value % 100000;
    std::string result;
    if (rest < 0) {
        result = "-";
        rest = -rest;
    }
    for (const auto& entry : romanTable) {
        while (rest >= entry.value) {
            result += entry.numeral;
            rest -= entry.value;
        }
    }
    return result;
}

std::string NumberingTransformer::formatNumber(std::int64_t value, const TransformerProperties& properties) {
    const std::string format = properties.numberFormat.value_or("");
    if (format == "roman")
        return romanNumeral(value);

    const auto digits = static_cast<std::size_t>(digitCount(properties));
    std::array<char, 32> buffer{};
    std::string sign;
    std::to_chars_result written{};
    if (format == "hexadecimal") {
        // Negative values print as their unsigned 32-bit pattern (-1 is FFFFFFFF). Random values may
        // need up to 15 hexadecimal digits, so non-negative values keep all their bits.
        const std::uint64_t bits = value < 0 ? static_cast<std::uint32_t>(value) : static_cast<std::uint64_t>(value);
        written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), bits, 16);
        std::transform(buffer.data(), written.ptr, buffer.data(), [](char c) { return c >= 'a' ? c - 'a' + 'A' : c; });
    } else {
        // The magnitude as unsigned, so that the smallest value has one too.
        const std::uint64_t magnitude =
            value < 0 ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
        if (value < 0)
            sign = "-";
        written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude);
    }
    const std::string_view number(buffer.data(), static_cast<std::size_t>(written.ptr - buffer.data()));
    // Zero padding up to the digit count, the sign included, as printf's "%0*d" does.
    const std::size_t used = sign.size() + number.size();
    std::string result = std::move(sign);
    if (digits > used)
        result.append(digits - used, '0');
    result.append(number);
    return result;
}

TransformStatus NumberingTransformer::dispatch(const TransformerProperties& properties, TransformScope scope,
                                               File& file, int index, bool quick, std::stop_token) {
    return run(properties, scope, file, index, quick);
}

TransformStatus NumberingTransformer::transformWith(const TransformerProperties& properties, TransformScope scope,
                                                    File& file, int index, TokenResolver&, std::stop_token) {
    // No token strings: the resolver only tells the passes apart, and transform() already did.
    return run(properties, scope, file, index, false);
}

TransformStatus NumberingTransformer::run(const TransformerProperties& properties, TransformScope scope, File& file,
                                          int index, bool quick) {
    const auto slot = static_cast<std::size_t>(std::max(index, 0));
    auto& generator = *state().randomNumberGenerator;
    std::int64_t value = 0;
    bool deferred = false;
    if (!properties.numberRandom.value_or(false)) {
        value = numberValue(properties, file, index);
    } else if (!quick) {
        value = generator.drawUnique(slot, digitCount(properties), randomBase(properties));
    } else if (const auto drawn = generator.number(slot)) {
        value = *drawn;
    } else {
        // The quick pass never draws: the sequence value stands in until the full pass.
        value = numberValue(properties, file, index);
        deferred = true;
    }

    const std::string number = formatNumber(value, properties);
    const std::string separator = properties.numberSeparatorText.value_or("");
    const bool atStart = properties.numberPosition.value_or("end") == "start";
    const std::u16string inserted =
        text::toUtf16(NormalizationSeam::decomposed(atStart ? number + separator : separator + number));
    const std::int64_t offset = properties.numberPositionOffset.value_or(0);
    const FindOptions options = FindOptions::numbering(properties);

    auto status = NormalizationSeam::rewrite(
        file, scope, [&](const std::string& working) -> TransformResult<std::optional<std::string>> {
            // The whole text, with no offset: the number goes at one end, no character boundaries needed.
            if (options.findText.empty() && offset == 0) {
                const std::string number8 = text::toUtf8(inserted);
                return std::optional<std::string>(atStart ? number8 + working : working + number8);
            }
            const auto ranges = findMatches(working, options);
            if (ranges.empty())
                return std::optional<std::string>();
            CharacterText text(working);
            for (auto range = ranges.rbegin(); range != ranges.rend(); ++range) {
                const auto anchor = static_cast<std::int64_t>(atStart ? range->start : range->end);
                text.insert(static_cast<std::ptrdiff_t>(anchor + offset), inserted);
            }
            return std::optional<std::string>(text.utf8());
        });
    if (status.ok() && deferred)
        return TransformError::lateUpdateRequired();
    return status;
}

} // namespace quillory
