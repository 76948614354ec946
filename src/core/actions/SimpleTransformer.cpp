// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/SimpleTransformer.h"

#include "model/TransformerTypes.h"

#include "actions/FindHelpers.h"
#include "actions/NormalizationSeam.h"
#include "text/Utf.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace quillory {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// A literal find in a name of plain ASCII letters: there are no marks to follow a letter, and ASCII case
// folds only within ASCII, so the pattern search comes down to a byte search. A replacement with "$" or a
// backslash keeps the pattern engine, which reads those.
std::optional<std::string> replaceAsciiLiteral(std::string_view text, std::string_view find, std::string_view replacement,
                                               bool caseInsensitive, bool findFirst) {
    if (!text::isAscii(text) || !text::isAscii(find) || replacement.find_first_of("$\\") != std::string_view::npos)
        return std::nullopt;
    const auto at = [&](std::size_t from) -> std::size_t {
        if (!caseInsensitive)
            return text.find(find, from);
        const auto found = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), find.begin(),
                                       find.end(), [](char a, char b) { return lower(a) == lower(b); });
        return found == text.end() ? std::string_view::npos : static_cast<std::size_t>(found - text.begin());
    };
    std::string result;
    std::size_t done = 0;
    for (std::size_t found = at(0); found != std::string_view::npos; found = at(done)) {
        result.append(text.substr(done, found - done)).append(replacement);
        done = found + find.size();
        if (findFirst)
            break;
    }
    result.append(text.substr(done));
    return result;
}

} // namespace

SimpleTransformer::SimpleTransformer(TransformerState state)
    : SimpleTransformer(std::string(transformerTypeInfo(kTypeId)->helpText), std::move(state)) {}

SimpleTransformer::SimpleTransformer(std::string helpText, TransformerState state)
    : Transformable(std::move(helpText), std::move(state)) {}

std::string_view SimpleTransformer::title() const {
    return transformerTypeInfo(kTypeId)->title;
}

TransformStatus SimpleTransformer::transformWith(const TransformerProperties &properties, TransformScope scope,
                                                 File &file, int, TokenResolver &resolver, std::stop_token stop) {
    const FindOptions options = FindOptions::simple(properties);
    // Nothing to find: the replacement is not even resolved, so missing attributes cannot delay the file.
    if (options.findText.empty())
        return TransformStatus::success();
    auto replacement = resolver.text(properties.simpleReplaceText, file, stop);
    if (!replacement)
        return replacement.error();

    // Inserted text takes the working form too, so a decomposed name stays wholly decomposed.
    const std::string replacementTemplate = NormalizationSeam::decomposed(*replacement);
    return NormalizationSeam::rewrite(file, scope, [&](const std::string &text) {
        if (!options.wildcards)
            if (auto plain = replaceAsciiLiteral(text, options.findText, replacementTemplate, options.caseInsensitive,
                                                 options.findFirst))
                return TransformResult<std::optional<std::string>>(std::move(*plain));
        // Made only here: most names are replaced above without a pattern.
        const std::string pattern =
            options.wildcards ? wildcardPattern(options.findText) : literalPattern(options.findText);
        return TransformResult<std::optional<std::string>>(
            replaceMatches(text, pattern, replacementTemplate, options.caseInsensitive, options.findFirst));
    });
}

} // namespace quillory
