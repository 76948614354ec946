// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/FindHelpers.h"

#include "actions/CharacterText.h"
#include "actions/NormalizationSeam.h"
#include "actions/PatternCache.h"
#include "app/Logger.h"
#include "text/Normalization.h"
#include "text/Regex.h"
#include "text/Utf.h"

#include <optional>
#include <unordered_map>

namespace quillory {
namespace {

constexpr std::u16string_view kMarks = u"\\p{M}*";

// The characters a regular expression gives a meaning, each preceded by a backslash.
std::u16string escapeRegexLiteral(std::u16string_view text) {
    static constexpr std::u16string_view kSpecial = u"\\*?+[](){}^$|.";
    std::u16string out;
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
        if (kSpecial.find(c) != std::u16string_view::npos)
            out.push_back(u'\\');
        out.push_back(c);
    }
    return out;
}

// Characters that stay alone in a literal pattern: escapes and the escaped characters that could not take
// a following mark pattern.
bool standsAlone(std::u16string_view character) {
    static constexpr std::u16string_view kAlone = u"*+()[{}.\\";
    return character.size() == 1 && kAlone.find(character.front()) != std::u16string_view::npos;
}

std::vector<std::string> wildcardTokens(std::string_view text) {
    std::vector<std::string> tokens;
    std::string piece;
    for (char c : text) {
        if (c != '*') {
            piece.push_back(c);
            continue;
        }
        if (!piece.empty())
            tokens.push_back(std::move(piece));
        piece.clear();
        tokens.emplace_back("*");
    }
    if (!piece.empty())
        tokens.push_back(std::move(piece));
    return tokens;
}

std::vector<text::Span> spansOf(const std::vector<text::RegexMatch> &matches) {
    std::vector<text::Span> spans;
    spans.reserve(matches.size());
    for (const text::RegexMatch &match : matches)
        spans.push_back(match.range());
    return spans;
}

// Keys of the pattern cache: what the pattern is for, the case option and the pattern as given.
std::string cacheKey(char purpose, bool caseInsensitive, std::string_view pattern) {
    std::string key{purpose, caseInsensitive ? 'i' : 'c'};
    key.append(pattern);
    return key;
}

// Patterns meet the decomposed working text, so they are decomposed too; folding drops the accents of the
// pattern's own letters.
std::optional<text::Regex> compileSearchPattern(std::string_view pattern, const SearchOptions &options) {
    auto regex =
        PatternCache::get(cacheKey(options.diacriticInsensitive ? 'f' : 's', options.caseInsensitive, pattern), [&] {
            const std::string prepared =
                options.diacriticInsensitive ? text::foldDiacritics(pattern) : std::string(pattern);
            return text::Regex::compile(std::string_view(NormalizationSeam::decomposed(prepared)),
                                        text::RegexOptions{options.caseInsensitive});
        });
    if (!regex)
        return std::nullopt;
    return std::move(regex).value();
}

// `characters` may be null: character boundaries are then worked out only if an empty match needs them.
std::vector<text::Span> searchSpans(const text::Regex &regex, const std::u16string &utf16,
                                    const CharacterText *characters) {
    std::optional<CharacterText> own;
    std::vector<text::Span> spans;
    std::size_t position = 0;
    while (auto match = regex.firstMatch(utf16, position)) {
        const text::Span span = match->range();
        spans.push_back(span);
        if (span.end >= utf16.size())
            break;
        // At most one more match than the text has characters; a text has at least one, so the first
        // match never needs them counted.
        if (spans.size() > 1 && !characters)
            characters = &own.emplace(utf16);
        if (characters && spans.size() > characters->length())
            break;
        if (span.end > span.start) {
            position = span.end;
            continue;
        }
        if (!characters)
            characters = &own.emplace(utf16);
        // Step over an empty match by one character so that it is not found again.
        position = characters->offsetOf(characters->rangeOf(span.end, span.end + 1).end);
    }
    return spans;
}

// Building a pattern text takes several conversions, and a pass asks for the same few find texts for
// every file: the texts are kept per thread.
template <typename Build> std::string memoized(char kind, std::string_view text, const Build &build) {
    thread_local std::unordered_map<std::string, std::string> built;
    std::string key(1, kind);
    key.append(text);
    if (const auto found = built.find(key); found != built.end())
        return found->second;
    if (built.size() >= 256)
        built.clear();
    return built.emplace(std::move(key), build()).first->second;
}

std::string buildLiteralPattern(std::string_view text);
std::string buildWildcardPattern(std::string_view text);

} // namespace

std::string literalPattern(std::string_view text) {
    return memoized('l', text, [&] { return buildLiteralPattern(text); });
}

std::string wildcardPattern(std::string_view text) {
    return memoized('w', text, [&] { return buildWildcardPattern(text); });
}

namespace {

std::string buildLiteralPattern(std::string_view text) {
    const CharacterText escaped(escapeRegexLiteral(text::toUtf16(text)));
    std::u16string pattern;
    for (std::size_t i = 0; i < escaped.length(); ++i) {
        const std::u16string character = escaped.substring({i, i + 1});
        pattern += character;
        if (!standsAlone(character))
            pattern += kMarks;
    }
    return text::toUtf8(pattern);
}

std::string buildWildcardPattern(std::string_view text) {
    const std::vector<std::string> tokens = wildcardTokens(text);
    if (tokens.empty())
        return literalPattern(text);
    if (tokens.size() == 1)
        return tokens.front() == "*" ? std::string("([^/]+)") : literalPattern(tokens.front());

    std::string pattern;
    for (std::size_t i = 0; i < tokens.size();) {
        if (tokens[i] != "*") {
            pattern += literalPattern(tokens[i]);
            ++i;
            continue;
        }
        const bool last = i + 1 == tokens.size();
        if (last) {
            pattern += "([^/]*)";
            break;
        }
        if (tokens[i + 1] != "*") {
            pattern += "([^/]*?)";
            ++i;
            continue;
        }
        // A double star: crosses "/", anchored when it opens the text, greedy when it closes it.
        const bool atStart = i == 0;
        if (i + 2 == tokens.size()) {
            pattern += atStart ? "^(.*)" : "(.*)";
            break;
        }
        pattern += atStart ? "^(.*?)" : "(.*?)";
        i += 2;
    }
    return pattern;
}

} // namespace

std::string patternFor(const FindOptions &options) {
    if (options.wildcards)
        return wildcardPattern(options.findText);
    if (options.regex)
        return options.findText;
    return literalPattern(options.findText);
}

std::vector<MatchRange> findMatches(std::string_view text, const FindOptions &options) {
    const CharacterText characters(text);
    if (options.findText.empty())
        return {MatchRange{0, characters.length()}};

    const std::string pattern = patternFor(options);
    auto regex = PatternCache::get(cacheKey('m', options.caseInsensitive, pattern), [&] {
        return text::Regex::compile(std::string_view(NormalizationSeam::decomposed(pattern)),
                                    text::RegexOptions{options.caseInsensitive});
    });
    if (!regex) {
        Logger::log("getMatches error: ", regex.error().message);
        return {};
    }
    std::vector<MatchRange> ranges = characters.rangesOf(spansOf(regex->allMatches(characters.utf16())));
    if (options.findFirst && ranges.size() > 1)
        ranges.resize(1);
    return ranges;
}

std::vector<MatchRange> rangeSearch(std::string_view pattern, const SearchOptions &options, std::string_view text) {
    const auto regex = compileSearchPattern(pattern, options);
    if (!regex)
        return {};
    const CharacterText characters(text);
    return characters.rangesOf(searchSpans(*regex, characters.utf16(), &characters));
}

std::string replaceMatches(std::string_view text, std::string_view pattern, std::string_view replacementTemplate,
                           bool caseInsensitive, bool findFirst) {
    const auto search = compileSearchPattern(pattern, SearchOptions{caseInsensitive, true});
    if (!search)
        return std::string(text);
    const std::u16string utf16 = text::toUtf16(text);
    std::vector<text::Span> spans = searchSpans(*search, utf16, nullptr);
    if (spans.empty())
        return std::string(text);
    if (findFirst)
        spans.resize(1);

    auto substitution = PatternCache::get(cacheKey('k', caseInsensitive, pattern), [&] {
        return text::Regex::compile(std::string_view(text::nfkd(pattern)), text::RegexOptions{caseInsensitive});
    });
    if (!substitution)
        return std::string(text);
    const std::u16string replacement = text::toUtf16(replacementTemplate);
    // UTF-16 spans rather than characters: a match may cover a mark without its letter.
    std::u16string result = utf16;
    for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
        const std::u16string matched = result.substr(span->start, span->length());
        result.replace(span->start, span->length(), substitution->replaceAll(matched, replacement));
    }
    return text::toUtf8(result);
}

} // namespace quillory
