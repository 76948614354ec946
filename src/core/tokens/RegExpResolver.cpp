// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/RegExpResolver.h"

namespace quillory {

namespace {

// Characters that would change the meaning of a character class are escaped, so custom text is literal.
std::string escapeForClass(std::string_view custom) {
    std::string out;
    out.reserve(custom.size() * 2);
    for (char c : custom) {
        if (c == '[' || c == ']' || c == '^' || c == '-' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

std::string_view anchorLabel(RegExpAnchor anchor) {
    switch (anchor) {
    case RegExpAnchor::startEnd:
        return "From Start to End: ";
    case RegExpAnchor::start:
        return "From Start: ";
    case RegExpAnchor::end:
        return "From End: ";
    case RegExpAnchor::none:
        break;
    }
    return {};
}

} // namespace

RegExpPattern RegExpResolver::resolve(const RegExpToken& t) {
    std::string pattern;
    if (t.anchor == RegExpAnchor::start || t.anchor == RegExpAnchor::startEnd)
        pattern += "^";
    pattern += "(";

    std::string characterClass = "(?:[";
    std::string marks;
    std::string label;
    if (!t.containing) {
        characterClass += "^";
        label += "except ";
    }
    if (t.alphabetic) {
        characterClass += "\\p{L}";
        marks += "\\p{M}";
        label += "letters ";
    }
    if (t.numeric) {
        characterClass += "\\d";
        label += "numbers ";
    }
    if (t.punctuation) {
        characterClass += "\\p{P}\\p{S}";
        label += "punctuation ";
    }
    if (t.whitespace) {
        characterClass += "\\s";
        label += "whitespace ";
    }
    if (!t.custom.empty()) {
        characterClass += escapeForClass(t.custom);
        label += t.custom + " ";
    }
    // A letter takes its combining marks along; in a negated class the marks are excluded too.
    if (t.containing)
        characterClass += "]" + (marks.empty() ? std::string() : marks + "*") + ")";
    else
        characterClass += marks + "])";
    pattern += characterClass;

    if (t.count < 1) {
        pattern += "+";
        label = "One or more " + label + " ";
    } else {
        pattern += "{" + std::to_string(t.count) + "}";
        label = std::to_string(t.count) + " " + label;
    }
    pattern += ")";
    if (t.anchor == RegExpAnchor::end || t.anchor == RegExpAnchor::startEnd)
        pattern += "$";
    return {std::move(pattern), std::string(anchorLabel(t.anchor)) + label};
}

RegExpPattern RegExpResolver::resolve(const TokenItem& item) {
    if (item.type == TokenItem::typeString)
        return {item.value, {}};
    if (item.isRegex())
        return resolve(item.regexp);
    return {};
}

RegExpPattern RegExpResolver::resolve(const TokenString& tokens) {
    RegExpPattern joined;
    for (const auto& item : tokens.items) {
        auto part = resolve(item);
        joined.pattern += part.pattern;
        joined.label += part.label;
    }
    return joined;
}

} // namespace quillory
