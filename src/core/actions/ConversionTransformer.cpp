// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/ConversionTransformer.h"

#include "actions/CompiledPatterns.h"
#include "actions/FindHelpers.h"
#include "actions/LookupTableRow.h"
#include "actions/NormalizationSeam.h"
#include "actions/PathPieces.h"
#include "text/Normalization.h"
#include "text/Regex.h"
#include "text/Utf.h"

#include <unicode/uchar.h>

namespace quillory {

namespace {

// White space and line breaks by the Unicode White_Space property.
bool isWhiteSpace(char32_t c) {
    return u_isUWhiteSpace(static_cast<UChar32>(c));
}

std::u16string trimWhiteSpace(std::u16string_view text) {
    // Every Unicode white space character lies in the basic plane, so testing code units is enough.
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isWhiteSpace(text[first]))
        ++first;
    while (last > first && isWhiteSpace(text[last - 1]))
        --last;
    return std::u16string(text.substr(first, last - first));
}

const text::Regex& nonAsciiCharacter() {
    static const text::Regex regex = text::Regex::compile(std::u16string_view(u"[^[:ascii:]]")).value();
    return regex;
}

// Windows also refuses the control characters U+0001 to U+001F in a name.
const text::Regex& windowsForbiddenCharacter() {
    static const text::Regex regex =
        text::Regex::compile(std::u16string_view(u"[\\\\?%*:|\"<>\\u0001-\\u001F]")).value();
    return regex;
}

const text::Regex& firstLowercaseLetter() {
    static const text::Regex regex =
        text::Regex::compile(std::u16string_view(u"^\\P{Ll}*(\\p{Ll})"), {.multiline = true}).value();
    return regex;
}

// The characters "." does not match without the dot-all option.
bool hasLineTerminator(std::string_view text) {
    for (const char c : text)
        if (c >= '\n' && c <= '\r')
            return true;
    return text.find("\xC2\x85") != std::string_view::npos || text.find("\xE2\x80\xA8") != std::string_view::npos ||
           text.find("\xE2\x80\xA9") != std::string_view::npos;
}

std::u16string convert16(std::u16string_view text, const TransformerProperties& properties) {
    const std::string type = properties.conversionType.value_or("");
    if (type == "uppercase")
        return text::toUpper(text);
    if (type == "lowercase")
        return text::toLower(text);
    if (type == "capitalizeall")
        return text::capitalizeWords(text);
    if (type == "capitalizefirst")
        return text::toUtf16(ConversionTransformer::capitalizeFirstWord(text::toUtf8(text)));
    if (type == "removediacritics")
        // The working text is decomposed; keep it so.
        return text::nfd(text::foldDiacritics(text));
    if (type == "windowscompatibility")
        return text::toUtf16(ConversionTransformer::windowsCompatible(text::toUtf8(text)));
    if (type == "lookup")
        return text::toUtf16(ConversionTransformer::applyLookup(text::toUtf8(text), properties));
    return std::u16string(text);
}

} // namespace

ConversionTransformer::ConversionTransformer(std::string helpText, TransformerState state)
    : Transformable(std::move(helpText), std::move(state)) {}

ConversionTransformer::ConversionTransformer(TransformerState state)
    : Transformable(std::string(transformerTypeInfo(TransformerType::conversion)->helpText), std::move(state)) {}

std::string ConversionTransformer::capitalizeFirstWord(std::string_view text) {
    std::u16string lowered = text::toLower(text::toUtf16(text));
    const auto matches = firstLowercaseLetter().allMatches(lowered);
    for (auto match = matches.rbegin(); match != matches.rend(); ++match) {
        const auto& group = match->groups.at(1);
        if (!group)
            continue;
        const std::u16string upper = text::toUpper(std::u16string_view(lowered).substr(group->start, group->length()));
        lowered.replace(group->start, group->length(), upper);
    }
    return text::toUtf8(lowered);
}

std::string ConversionTransformer::windowsCompatible(std::string_view text) {
    std::u16string result;
    for (const auto& piece : splitPathPieces(text::toUtf16(text))) {
        std::u16string converted = text::foldDiacritics(trimWhiteSpace(piece));
        converted = nonAsciiCharacter().replaceAll(converted, u"_");
        result += windowsForbiddenCharacter().replaceAll(converted, u"_");
    }
    return text::toUtf8(result);
}

std::string ConversionTransformer::applyLookup(std::string_view text, const TransformerProperties& properties) {
    std::u16string result = text::toUtf16(text);
    if (!properties.conversionLookup)
        return std::string(text);
    for (const auto& pair : *properties.conversionLookup) {
        const auto row = LookupTableRow::fromPair(pair);
        if (!row || row->find.empty())
            continue;
        const auto find = compiledPattern(std::string_view(text::nfkd(std::string_view(row->find))));
        if (!find)
            continue;
        result = find->replaceAll(result, text::toUtf16(NormalizationSeam::decomposed(row->replace)));
    }
    return text::toUtf8(result);
}

std::string ConversionTransformer::convertMatch(std::string_view text, const TransformerProperties& properties) {
    return text::toUtf8(convert16(text::toUtf16(text), properties));
}

std::string ConversionTransformer::convertText(std::string_view text, const TransformerProperties& properties) {
    const FindOptions options = FindOptions::conversion(properties);
    // Without a find text every line is converted; a name is nearly always one line, which is then
    // converted whole without a search.
    if (options.findText.empty() && !hasLineTerminator(text))
        return text.empty() ? std::string() : convertMatch(text, properties);
    std::string pattern = patternFor(options);
    if (pattern.empty())
        pattern = ".*";
    const auto regex = compiledPattern(std::string_view(NormalizationSeam::decomposed(pattern)),
                                       {.caseInsensitive = options.caseInsensitive, .multiline = true});
    if (!regex)
        return std::string(text);

    std::u16string result = text::toUtf16(text);
    auto matches = regex->allMatches(result);
    if (options.findFirst && matches.size() > 1)
        matches.resize(1);
    // From the last match to the first, so every range still addresses the text it was found in.
    for (auto match = matches.rbegin(); match != matches.rend(); ++match) {
        const text::Span span = match->range();
        if (span.length() == 0)
            continue;
        result.replace(span.start, span.length(),
                       convert16(std::u16string_view(result).substr(span.start, span.length()), properties));
    }
    return text::toUtf8(result);
}

TransformStatus ConversionTransformer::transformWith(const TransformerProperties& properties, TransformScope scope,
                                                     File& file, int, TokenResolver&, std::stop_token) {
    return NormalizationSeam::rewrite(
        file, scope, [&](const std::string& working) -> TransformResult<std::optional<std::string>> {
            return std::optional<std::string>(convertText(working, properties));
        });
}

} // namespace quillory
