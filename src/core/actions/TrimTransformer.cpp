// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/TrimTransformer.h"

#include "actions/CharacterText.h"
#include "actions/CompiledPatterns.h"
#include "actions/FindHelpers.h"
#include "actions/IntegerText.h"
#include "actions/NormalizationSeam.h"
#include "actions/PathPieces.h"
#include "text/Normalization.h"
#include "text/Regex.h"
#include "text/Utf.h"

#include <cctype>
#include <optional>

namespace quillory {

namespace {

enum class PositionGroup { start, end, around };

PositionGroup positionGroup(std::string_view position) {
    if (position == "start" || position == "starteach")
        return PositionGroup::start;
    if (position == "end" || position == "endeach")
        return PositionGroup::end;
    return PositionGroup::around;
}

// Characters of the set are matched literally inside a class: every ASCII character that is not a letter
// or digit is escaped, which ICU reads as the character itself. This covers "[", "]", "^", "-" and "\"
// and also the set operators "&&" and "--".
std::string escapedCharacterSet(std::string_view characters) {
    std::string result;
    for (char c : text::nfkd(characters)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 && !std::isalnum(byte) && byte > 0x20)
            result += '\\';
        result += c;
    }
    return result;
}

// The unit U, repeated 0 ... count times; empty for an unknown match kind.
std::string unitFor(std::string_view match, const std::string& count, const std::string& characterSet) {
    const std::string repeat = "{0," + count + "}";
    if (match == "trimany" || match == "keepany")
        return "\\X" + repeat;
    // An empty set is no class at all: "any of" nothing matches nothing, "any except" nothing matches any.
    if (match == "trimanyof" || match == "keepanyof")
        return characterSet.empty() ? std::string() : "(?:(?=[" + characterSet + "])\\X)" + repeat;
    if (match == "trimanyexcept" || match == "keepanyexcept")
        return characterSet.empty() ? "\\X" + repeat : "(?:(?=[^" + characterSet + "])\\X)" + repeat;
    return {};
}

using Expression = std::shared_ptr<const text::Regex>;

Expression compiledExpression(const TransformerProperties& properties) {
    return compiledPattern(std::string_view(TrimTransformer::trimExpression(properties)));
}

std::u16string trimPiece(std::u16string_view piece, const Expression& expression,
                         bool trimSpaces) {
    std::u16string result = text::nfkd(piece);
    // An expression that does not compile (a negative count) leaves the piece as it is.
    if (expression)
        result = expression->replaceAll(result, u"$1$2$3");
    if (trimSpaces) {
        const auto first = result.find_first_not_of(u' ');
        if (first == std::u16string::npos)
            return {};
        result = result.substr(first, result.find_last_not_of(u' ') - first + 1);
    }
    return result;
}

std::u16string trimWith(std::u16string_view text, const TransformerProperties& properties,
                        const Expression& expression) {
    const bool trimSpaces = properties.trimLeadingTrailingSpaces.value_or(false);
    if (properties.trimPosition.value_or("start").find("each") == std::string::npos)
        return trimPiece(text, expression, trimSpaces);
    std::u16string result;
    for (const auto& piece : splitPathPieces(text))
        result += isPathSeparatorPiece(piece) ? piece : trimPiece(piece, expression, trimSpaces);
    return result;
}

} // namespace

TrimTransformer::TrimTransformer(std::string helpText, TransformerState state)
    : Transformable(std::move(helpText), std::move(state)) {}

TrimTransformer::TrimTransformer(TransformerState state)
    : Transformable(std::string(transformerTypeInfo(TransformerType::trim)->helpText), std::move(state)) {}

std::string TrimTransformer::trimExpression(const TransformerProperties& properties) {
    // Counts past any name the engine lets through mean "all of it"; past 2^24 the pattern would not
    // compile, and the action would quietly do nothing.
    constexpr std::int64_t most = std::int64_t{1} << 20;
    const std::string count = std::to_string(std::clamp<std::int64_t>(integerOr(properties.trimCount, 1), 0, most));
    const std::int64_t offset = std::clamp<std::int64_t>(properties.trimOffset.value_or(0), -most, most);
    const std::string match = properties.trimMatch.value_or("trimany");
    const bool keep = match.starts_with("keepany");
    const std::string unit = unitFor(match, count, escapedCharacterSet(properties.trimCharacters.value_or("")));

    const std::string skipStart = offset < 1 ? "" : "\\X{" + std::to_string(offset) + "}";
    const std::string skipEnd = offset >= 0 ? "" : "\\X{" + std::to_string(-offset) + "}";
    // In trim mode the skipped characters are kept, so they are groups; in keep mode they go.
    const std::string start = "^" + (keep || skipStart.empty() ? skipStart : "(" + skipStart + ")");
    const std::string end = (keep || skipEnd.empty() ? skipEnd : "(" + skipEnd + ")") + "$";

    switch (positionGroup(properties.trimPosition.value_or("start"))) {
    case PositionGroup::start:
        return keep ? start + "(" + unit + ")\\X*$" : start + unit + "(\\X*)$";
    case PositionGroup::end:
        return keep ? "^\\X*?(" + unit + ")" + end : "^(\\X*?)" + unit + end;
    case PositionGroup::around:
        break;
    }
    return keep ? start + "(" + unit + ")\\X*?(" + unit + ")" + end : start + unit + "(\\X*?)" + unit + end;
}

std::string TrimTransformer::trimText(std::string_view text, const TransformerProperties& properties) {
    return text::toUtf8(trimWith(text::toUtf16(text), properties, compiledExpression(properties)));
}

TransformStatus TrimTransformer::transformWith(const TransformerProperties& properties, TransformScope scope,
                                               File& file, int, TokenResolver&, std::stop_token) {
    const auto expression = compiledExpression(properties);
    const FindOptions options = FindOptions::trim(properties);
    return NormalizationSeam::rewrite(
        file, scope, [&](const std::string& working) -> TransformResult<std::optional<std::string>> {
            CharacterText text(working);
            if (options.findText.empty())
                return std::optional<std::string>(text::toUtf8(trimWith(text.utf16(), properties, expression)));

            const SearchOptions search{options.caseInsensitive, true};
            auto ranges = rangeSearch(patternFor(options), search, working);
            if (options.findFirst) {
                // With find-first and no occurrence the whole text is trimmed.
                ranges = ranges.empty() ? std::vector<MatchRange>{{0, text.length()}}
                                        : std::vector<MatchRange>{ranges.front()};
            }
            if (ranges.empty())
                return std::optional<std::string>();
            for (auto range = ranges.rbegin(); range != ranges.rend(); ++range)
                text.replace(*range, trimWith(text.substring(*range), properties, expression));
            return std::optional<std::string>(text.utf8());
        });
}

} // namespace quillory
