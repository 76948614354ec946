// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/TokenString.h"

#include "model/TokenDetailsList.h"

#include <gtest/gtest.h>

using namespace quillory;
using Json = nlohmann::ordered_json;

namespace {

std::vector<std::string> keysOf(const Json& object) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items())
        keys.push_back(key);
    return keys;
}

const TokenDetailsList& catalogue() {
    static const auto list = TokenDetailsList::loadEmbedded();
    return list;
}

TEST(TokenStringTest, JsonWritesCommonKeysThenOneFormatKeyByKindAndReadsEveryKindBack) {
    using Keys = std::vector<std::string>;
    auto date = TokenItem::attribute("date-created");
    date.dateFormat = "yyyy";
    date.prefix = "(";
    date.suffix = ")";
    auto gps = TokenItem::attribute("{GPS}.Latitude");
    gps.gpsFormat = 1;
    auto number = TokenItem::attribute("id3-track");
    number.numberDigits = 3;
    RegExpToken token;
    token.containing = false;
    token.alphabetic = token.numeric = token.punctuation = token.whitespace = true;
    token.custom = "-_";
    token.count = 7;
    token.anchor = RegExpAnchor::startEnd;
    auto regex = TokenItem::regex(token, "carried");
    auto unknown = TokenItem::attribute("not-in-catalogue");
    const TokenString original({TokenItem::text("Ünïcödé /"), date, gps, regex, number, unknown});

    auto json = original.toJson(&catalogue());
    ASSERT_EQ(keysOf(json), Keys{"items"});
    const auto& items = json["items"];
    EXPECT_EQ(keysOf(items[0]), (Keys{"type", "value", "prefix", "suffix"}));
    EXPECT_EQ(keysOf(items[1]), (Keys{"type", "value", "prefix", "suffix", "dateFormat"}));
    EXPECT_EQ(items[1]["dateFormat"], "yyyy");
    EXPECT_EQ(keysOf(items[2]), (Keys{"type", "value", "prefix", "suffix", "gpsFormat"}));
    EXPECT_EQ(keysOf(items[3]), (Keys{"type", "value", "prefix", "suffix", "regexp"}));
    EXPECT_EQ(keysOf(items[3]["regexp"]), (Keys{"containing", "alphabetic", "numeric", "punctuation", "whitespace",
                                                "custom", "count", "anchor"}));
    EXPECT_EQ(keysOf(items[4]), (Keys{"type", "value", "prefix", "suffix", "numberDigits"}));
    EXPECT_EQ(keysOf(items[5]), (Keys{"type", "value", "prefix", "suffix"}));
    auto decoded = TokenString::fromJson(Json::parse(json.dump()));
    ASSERT_TRUE(decoded.ok()) << decoded.error().message;
    EXPECT_EQ(*decoded, original);

    // A catalogue that does not know the attribute writes no format for it.
    TokenDetailsList empty;
    EXPECT_EQ(keysOf(TokenString({date}).toJson(&empty)["items"][0]), (Keys{"type", "value", "prefix", "suffix"}));
    // With none given and none shared, the built-in catalogue still keeps the formats.
    const auto saved = TokenString::fromJson(TokenString({date, gps, number}).toJson());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->items[0].dateFormat, "yyyy");
    EXPECT_EQ(saved->items[1].gpsFormat, 1);
    EXPECT_EQ(saved->items[2].numberDigits, 3);
}

TEST(TokenStringTest, JsonReadingIsLenientAboutOptionalKeysOnly) {
    auto minimal = TokenString::fromJson(Json::parse(R"({"items":[{"type":"attribute","value":"date-created"}]})"));
    ASSERT_TRUE(minimal.ok());
    const auto& item = minimal->items.at(0);
    EXPECT_EQ(item.prefix, "");
    EXPECT_EQ(item.suffix, "");
    EXPECT_EQ(item.dateFormat, "yyyy-MM-dd HHmmss");
    EXPECT_EQ(item.gpsFormat, 0);
    EXPECT_EQ(item.numberDigits, 2);
    EXPECT_EQ(item.regexp, RegExpToken());

    // Keys the writer would not write for this kind are still read.
    auto extra = TokenString::fromJson(Json::parse(
        R"({"items":[{"type":"string","value":"x","numberDigits":5,"gpsFormat":1,"dateFormat":"yy"}]})"));
    ASSERT_TRUE(extra.ok());
    EXPECT_EQ(extra->items[0].numberDigits, 5);
    EXPECT_EQ(extra->items[0].gpsFormat, 1);
    EXPECT_EQ(extra->items[0].dateFormat, "yy");

    for (const char* bad : {R"({"items":[{"value":"x"}]})", R"({"items":[{"type":"string"}]})", R"({})",
                            R"({"items":[{"type":"regex","value":"","regexp":{"containing":true}}]})",
                            R"({"items":[{"type":"string","value":"x","prefix":3}]})", R"("abc")"})
        EXPECT_FALSE(TokenString::fromJson(Json::parse(bad)).ok()) << bad;
}

TEST(TokenStringTest, PlainStringFallbackOfTheOlderForm) {
    EXPECT_EQ(TokenString::fromJsonOrPlainString(Json("abc")), TokenString::fromPlainString("abc"));
    EXPECT_EQ(TokenString::fromJsonOrPlainString(Json()), TokenString::fromPlainString(""));
    EXPECT_EQ(TokenString::fromJsonOrPlainString(Json(12)), TokenString::fromPlainString(""));
    auto object = Json::parse(R"({"items":[{"type":"attribute","value":"tags"}]})");
    EXPECT_EQ(TokenString::fromJsonOrPlainString(object), TokenString({TokenItem::attribute("tags")}));
    auto plain = TokenString::fromPlainString("abc");
    ASSERT_EQ(plain.items.size(), 1u);
    EXPECT_EQ(plain.items[0], TokenItem::text("abc"));
}

TEST(TokenStringTest, PlainText) {
    auto attribute = TokenItem::attribute("date-created");
    attribute.prefix = "[";
    TokenString tokens({TokenItem::text("Photo "), attribute, TokenItem::text(" end"),
                        TokenItem::regex(RegExpToken(), "rx")});
    EXPECT_EQ(tokens.plainText(), "Photo {date-created} endrx");
    EXPECT_EQ(TokenString().plainText(), "");
}

TEST(TokenStringTest, PasteboardRoundTripAndReadingDefaults) {
    RegExpToken token;
    token.containing = false;
    token.numeric = true;
    token.custom = "x";
    token.count = 2;
    token.anchor = RegExpAnchor::start;
    auto attribute = TokenItem::attribute("date-created");
    attribute.dateFormat = "yyyy";
    attribute.prefix = "(";
    TokenString original({TokenItem::text("a {b}"), attribute, TokenItem::regex(token, "v")});

    auto items = original.toPasteboardItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].type, "com.quillory.tokenstring.attribute");
    EXPECT_EQ(items[1].data, "a {b}{date-created}v");
    EXPECT_EQ(TokenString::fromPasteboardItems(items), original);

    // Missing entries take the reading defaults; regexp fields count only for regex items.
    PasteboardItem sparse{"com.quillory.tokenstring.attribute",
                          R"([{"value":"v"},{"type":"attribute","value":"tags","numberDigits":"x","count":"5"},)"
                          R"({"type":"regex","containing":"yes","count":"3","anchor":"sideways"}])"};
    auto read = TokenString::fromPasteboardItems({sparse});
    ASSERT_EQ(read.items.size(), 3u);
    EXPECT_EQ(read.items[0], TokenItem::text("v"));
    EXPECT_EQ(read.items[1].numberDigits, 2);
    EXPECT_EQ(read.items[1].regexp, RegExpToken());
    EXPECT_FALSE(read.items[2].regexp.containing);
    EXPECT_EQ(read.items[2].regexp.count, 3);
    EXPECT_EQ(read.items[2].regexp.anchor, RegExpAnchor::none);
}

TEST(TokenStringTest, PasteboardFallsBackToPlainText) {
    PasteboardItem plain{std::string(TokenString::plainTextType), "{date-created} x"};
    // Braces in pasted text are literal text, not a token.
    EXPECT_EQ(TokenString::fromPasteboardItems({plain}), TokenString::fromPlainString("{date-created} x"));
    for (const char* broken : {"not json", R"({"type":"string"})", R"([{"value":3}])", R"([1])"})
        EXPECT_EQ(TokenString::fromPasteboardItems({{"com.quillory.tokenstring.attribute", broken}, plain}),
                  TokenString::fromPlainString("{date-created} x"))
            << broken;
    EXPECT_TRUE(TokenString::fromPasteboardItems({{"text/plain", "\xff\xfe"}}).isEmpty());
    EXPECT_TRUE(TokenString::fromPasteboardItems({{"image/png", "x"}}).isEmpty());

    // Text that is not UTF-8 cannot go into the token form; the plain text is still offered.
    auto offered = TokenString::fromPlainString("caf\xe9").toPasteboardItems();
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].data, "caf\xe9");
}

} // namespace
