// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/TokenTemplate.h"

#include "text/NearestNames.h"
#include "model/TokenDetailsList.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace quillory {
namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string lowered(std::string text) {
    for (auto& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string aliasOf(const std::string& id) {
    if (id == "original-filename")
        return "name";
    if (id == "parent-directory-1")
        return "parent";
    if (id.starts_with("parent-directory-"))
        return "parent" + id.substr(17);
    if (id == "date-content-access")
        return "accessed";
    if (id.starts_with("date-"))
        return id.substr(5);
    // The song's artist is the one people mean by {artist}.
    if (id == "{TIFF}.Artist")
        return "image-artist";
    // "{Exif}.DateTimeOriginal", "{TIFF}.Make", "{GPS}.Latitude"
    if (id.starts_with("{")) {
        const auto dot = id.find("}.");
        return dot == std::string::npos ? id : id.substr(dot + 2);
    }
    if (id == "GPS-AddressName")
        return "place";
    if (id == "GPS-FormattedAddress")
        return "address";
    if (id == "GPS-AddressSubAdministrativeArea")
        return "county";
    if (id.starts_with("GPS-Address"))
        return lowered(id.substr(11));
    if (id.starts_with("id3-"))
        return id.substr(4);
    if (id.starts_with("regex-"))
        return id.substr(6);
    return id;
}

std::vector<const std::vector<TokenDetails>*> sections(const TokenDetailsList& catalogue) {
    return {&catalogue.basicTokenDetails, &catalogue.exifTokenDetails, &catalogue.gpsTokenDetails,
            &catalogue.id3TokenDetails,   &catalogue.iTunesTokenDetails, &catalogue.flacTokenDetails,
            &catalogue.regexTokenDetails};
}

RegExpToken regexFor(const TokenDetails& details) {
    RegExpToken token;
    std::string_view key = details.key;
    while (!key.empty()) {
        const auto comma = key.find(',');
        const auto part = key.substr(0, comma);
        token.containing = token.containing && part != "except";
        token.alphabetic = token.alphabetic || part == "alphabetic";
        token.numeric = token.numeric || part == "numeric";
        token.punctuation = token.punctuation || part == "punctuation";
        token.whitespace = token.whitespace || part == "whitespace";
        key = comma == std::string_view::npos ? std::string_view() : key.substr(comma + 1);
    }
    return token;
}

Result<TokenItem> tokenFor(std::string_view body, const TokenDetailsList& catalogue) {
    const auto colon = body.find(':');
    const std::string_view name = body.substr(0, colon);
    const TokenDetails* details = TokenTemplate::find(name, catalogue);
    if (!details) {
        std::string message = "unknown token {" + std::string(name) + "}";
        if (const auto hint = text::didYouMean(TokenTemplate::suggestions(name, catalogue)); !hint.empty())
            message += "; " + hint;
        return Error{message};
    }
    if (details->type == "regex") {
        if (colon != std::string_view::npos)
            return Error{"token {" + std::string(name) + "} takes no format"};
        return TokenItem::regex(regexFor(*details), details->tokenId);
    }
    TokenItem item = TokenItem::attribute(details->tokenId);
    if (colon == std::string_view::npos)
        return item;
    const std::string_view format = body.substr(colon + 1);
    if (details->type == "date") {
        if (format.empty())
            return Error{"token {" + std::string(name) + "}: the date pattern after ':' is empty"};
        item.dateFormat = std::string(format);
        return item;
    }
    if (details->type == "number") {
        int digits = 0;
        const auto [end, ec] = std::from_chars(format.data(), format.data() + format.size(), digits);
        if (ec != std::errc() || end != format.data() + format.size() || digits < 1 || digits > 20)
            return Error{"token {" + std::string(name) + "} takes a digit count from 1 to 20, not '" +
                         std::string(format) + "'"};
        item.numberDigits = digits;
        return item;
    }
    if (details->type == "gps") {
        if (format != "dms" && format != "decimal")
            return Error{"token {" + std::string(name) + "} takes 'dms' or 'decimal', not '" + std::string(format) +
                         "'"};
        item.gpsFormat = format == "dms" ? 0 : 1;
        return item;
    }
    return Error{"token {" + std::string(name) + "} takes no format"};
}

} // namespace

std::vector<TokenTemplate::Name> TokenTemplate::names(const TokenDetailsList& catalogue) {
    std::vector<Name> out;
    for (const auto* section : sections(catalogue))
        for (const auto& details : *section) {
            const bool seen = std::any_of(out.begin(), out.end(),
                                          [&](const Name& name) { return name.tokenId == details.tokenId; });
            if (!seen)
                out.push_back({details.tokenId, aliasOf(details.tokenId)});
        }
    return out;
}

const TokenDetails* TokenTemplate::find(std::string_view name, const TokenDetailsList& catalogue) {
    for (const auto* section : sections(catalogue))
        for (const auto& details : *section)
            if (sameIgnoringCase(details.tokenId, name) || sameIgnoringCase(aliasOf(details.tokenId), name))
                return &details;
    return nullptr;
}

std::vector<std::string> TokenTemplate::suggestions(std::string_view name, const TokenDetailsList& catalogue) {
    std::vector<std::string> candidates;
    for (const auto& known : names(catalogue)) {
        candidates.push_back(known.alias);
        if (known.alias != known.tokenId)
            candidates.push_back(known.tokenId);
    }
    auto nearest = text::nearestNames(name, candidates);
    for (auto& found : nearest)
        found = "{" + found + "}";
    return nearest;
}

Result<TokenString> TokenTemplate::parse(std::string_view text, const TokenDetailsList& catalogue) {
    TokenString tokens;
    std::string literal;
    bool any = false;
    auto flush = [&] {
        if (!literal.empty())
            tokens.items.push_back(TokenItem::text(std::move(literal)));
        literal.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c == '{' || c == '}') && i + 1 < text.size() && text[i + 1] == c) {
            literal += c;
            ++i;
            continue;
        }
        if (c == '}')
            return Error{"a '}' at character " + std::to_string(i + 1) + " closes no token (write }} for a brace)"};
        if (c != '{') {
            literal += c;
            continue;
        }
        const auto close = text.find('}', i + 1);
        if (close == std::string_view::npos)
            return Error{"the '{' at character " + std::to_string(i + 1) +
                         " is not closed (write {{ for a brace)"};
        auto item = tokenFor(text.substr(i + 1, close - i - 1), catalogue);
        if (!item)
            return item.error();
        flush();
        tokens.items.push_back(std::move(*item));
        any = true;
        i = close;
    }
    // Plain text is one text item, as when it is typed or pasted into a field.
    if (!any)
        return TokenString::fromPlainString(std::move(literal));
    flush();
    return tokens;
}

} // namespace quillory
