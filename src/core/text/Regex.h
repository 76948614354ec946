// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory::text {

// ICU regular expressions over UTF-16 text. Offsets are UTF-16 code units; convert to user-perceived
// characters with CharacterMap where a character count is needed.

struct RegexOptions {
    bool caseInsensitive = false;
    // "^" and "$" match at line boundaries, not only at the ends of the text.
    bool multiline = false;
    // "." also matches line terminators.
    bool dotAll = false;
};

struct Span {
    std::size_t start = 0; // UTF-16 offset
    std::size_t end = 0;   // UTF-16 offset, one past the last unit
    bool operator==(const Span&) const = default;
    std::size_t length() const { return end - start; }
};

// One match: the whole match and every capture group (group 0 is the whole match). A group that
// did not take part in the match is std::nullopt.
struct RegexMatch {
    std::vector<std::optional<Span>> groups;
    Span range() const { return *groups.front(); }
};

class Regex {
public:
    // A pattern that does not compile is an Error value, never an exception.
    static Result<Regex> compile(std::u16string_view pattern, RegexOptions options = {});
    static Result<Regex> compile(std::string_view utf8Pattern, RegexOptions options = {});

    // Copies share the compiled pattern, which never changes.
    Regex(const Regex& other);
    Regex& operator=(const Regex& other);
    Regex(Regex&&) noexcept;
    Regex& operator=(Regex&&) noexcept;
    ~Regex();

    const std::u16string& pattern() const;
    std::size_t groupCount() const;

    // All non-overlapping matches in order. An empty match is reported once and the search moves on
    // by one code point, so patterns that can match the empty text terminate.
    std::vector<RegexMatch> allMatches(std::u16string_view text) const;
    // All matches whose start lies in [from, to) of the text; the text outside still counts as context.
    // Unlike the whole-text form, an empty match at offset `to` is not included.
    std::vector<RegexMatch> allMatches(std::u16string_view text, std::size_t from, std::size_t to) const;
    // First match starting at or after the offset.
    std::optional<RegexMatch> firstMatch(std::u16string_view text, std::size_t from = 0) const;
    bool matchesWhole(std::u16string_view text) const;
    bool contains(std::u16string_view text) const { return firstMatch(text).has_value(); }

    // The replacement text for one match: "$n" inserts group n (empty when it did not take part),
    // "\" makes the next character literal ("\$" is a dollar sign).
    // Details: "$" reads its first digit always and further digits while the number is still a group
    // of the pattern ("$10" with fewer than ten groups is group 1 then "0"); a group number the pattern
    // does not have inserts nothing; "${name}" inserts a named group (nothing for an unknown name);
    // a "$" that starts no group stays a dollar sign; "\uhhhh" and "\Uhhhhhhhh" insert that code point;
    // a trailing lone "\" is dropped. Never fails.
    std::u16string expandTemplate(std::u16string_view text, const RegexMatch& match,
                                  std::u16string_view replacementTemplate) const;
    // Every match replaced by its expanded template.
    std::u16string replaceAll(std::u16string_view text, std::u16string_view replacementTemplate) const;

private:
    struct Impl;
    explicit Regex(std::shared_ptr<const Impl> impl);
    std::vector<RegexMatch> collectMatches(std::u16string_view text, std::size_t from, std::size_t to,
                                           bool includeEnd) const;

    std::shared_ptr<const Impl> impl_;
};

// A pattern that matches the text literally (every metacharacter escaped).
std::u16string escapePattern(std::u16string_view literal);
// A replacement template that inserts the text literally ("$" and "\" escaped).
std::u16string escapeTemplate(std::u16string_view literal);

} // namespace quillory::text
