// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Transformer.h"

#include "app/Logger.h"
#include "app/Registry.h"
#include "model/TransformerTypes.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace quillory;
using Json = nlohmann::ordered_json;

namespace {

std::vector<std::string> keysOf(const Json& object) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items())
        keys.push_back(key);
    return keys;
}

Json parse(const char* text) { return Json::parse(text); }

Result<Transformer> read(const char* text) { return Transformer::fromJson(parse(text)); }

// Every property, in the order written, set to a value different from an absent one; token texts below.
Json everyPropertyJson() {
    Json p = parse(R"({"simpleFindText":"a","simpleReplaceText":0,"simpleCaseInsensitive":true,
        "simpleWildcards":false,"simpleFindFirst":true,"insertFindText":"b","insertFindWildcards":true,
        "insertFindRegex":false,"insertFindCaseInsensitive":true,"insertFindFirst":false,"insertText":0,
        "insertPosition":"end","insertOffset":-3,"regexFindText":0,"regexReplaceText":0,"regexCaseInsensitive":true,
        "regexFindFirst":true,"numberFindText":"n","numberFindWildcards":true,"numberFindRegex":true,
        "numberFindCaseInsensitive":false,"numberFindFirst":true,"numberPosition":"start","numberPositionOffset":2,
        "numberSeparatorText":"-","numberFormat":"roman","numberDigitText":"3","numberStartText":"1",
        "numberSkipText":"2","numberRepeatCount":4,"numberResetEvery":true,"numberResetEveryText":"10",
        "numberResetEveryDirectoryChange":true,"numberRandom":false,"conversionFindText":"c",
        "conversionFindWildcards":false,"conversionFindRegex":true,"conversionFindCaseInsensitive":true,
        "conversionFindFirst":false,"conversionType":"lookup","conversionLookup":[["ä","ae"],["ß","ss","extra"],[]],
        "trimFindText":"t","trimFindWildcards":true,"trimFindRegex":false,"trimFindCaseInsensitive":true,
        "trimFindFirst":true,"trimPosition":"end","trimOffset":1,"trimCount":"2","trimMatch":"trimanyof",
        "trimCharacters":"xy","trimLeadingTrailingSpaces":true,"selectType":"include","selectMatch":"*.jpg",
        "prefixFindText":"p","prefixFindWildcards":true,"prefixFindRegex":true,"prefixFindCaseInsensitive":false,
        "prefixFindFirst":true,"prefixText":0,"suffixFindText":"s","suffixFindWildcards":false,
        "suffixFindRegex":false,"suffixFindCaseInsensitive":true,"suffixFindFirst":false,"suffixText":0,
        "setFindText":"e","setFindWildcards":true,"setFindRegex":true,"setFindCaseInsensitive":false,"setText":0})");
    const Json tokens = TokenString({TokenItem::text("t"), TokenItem::attribute("tags")}).toJson();
    for (const char* key : {"simpleReplaceText", "insertText", "regexReplaceText", "prefixText", "suffixText", "setText"})
        p[key] = tokens;
    p["regexFindText"] = TokenString({TokenItem::regex(RegExpToken(), "r")}).toJson();
    return p;
}

TransformerProperties everyProperty() { return TransformerProperties::fromJson(everyPropertyJson()).value(); }

// Reading and writing map every key to its own field: what is read is written back unchanged, in order,
// and a written record reads back equal, with the same hash.
TEST(TransformerJsonTest, WritesEveryPropertyInOrderAndReadsTheRecordBack) {
    ASSERT_EQ(everyPropertyJson().size(), 71u);
    Transformer record("simple", TransformScope::ext);
    record.properties = everyProperty();
    record.disabled = true;
    record.description = "déjà vu";
    auto json = record.toJson();
    EXPECT_EQ(keysOf(json),
              (std::vector<std::string>{"id", "type", "transformScope", "properties", "disabled", "description"}));
    EXPECT_EQ(json["properties"].dump(), everyPropertyJson().dump());
    EXPECT_EQ(json["transformScope"], "extension");
    auto decoded = Transformer::fromJson(Json::parse(json.dump()));
    ASSERT_TRUE(decoded.ok()) << decoded.error().message;
    EXPECT_EQ(*decoded, record);
    EXPECT_TRUE(decoded->disabled); // equality leaves it out
    EXPECT_EQ(decoded->changeHash(), record.changeHash());

    // Absent fields and an absent description are left out.
    Transformer bare("trim");
    bare.properties.trimCount = "1";
    auto bareJson = bare.toJson();
    EXPECT_EQ(keysOf(bareJson), (std::vector<std::string>{"id", "type", "transformScope", "properties", "disabled"}));
    EXPECT_EQ(keysOf(bareJson["properties"]), std::vector<std::string>{"trimCount"});
    // Every scope reads back.
    for (auto scope : {TransformScope::filename, TransformScope::path, TransformScope::ext, TransformScope::fullPath}) {
        Transformer scoped("set", scope);
        auto back = Transformer::fromJson(scoped.toJson());
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(back->transformScope, scope);
        EXPECT_FALSE(back->description);
    }
}

TEST(TransformerJsonTest, MissingIdAndScopeAreFilledIn) {
    auto record = read(R"({"type":"simple","properties":{}})");
    ASSERT_TRUE(record.ok());
    EXPECT_EQ(record->id.rfind("transformer_", 0), 0u);
    EXPECT_GT(record->id.size(), std::string("transformer_").size());
    EXPECT_EQ(record->transformScope, TransformScope::filename);
    EXPECT_FALSE(record->disabled);
    EXPECT_FALSE(record->description);
    // A decoded record gets a state of its own.
    auto other = read(R"({"type":"simple","properties":{}})");
    EXPECT_NE(record->state.randomNumberGenerator, other->state.randomNumberGenerator);
}

TEST(TransformerJsonTest, StructuralFaultsFailTheRecord) {
    for (const char* bad : {
             R"({"properties":{}})",
             R"({"type":"simple"})",
             R"({"type":3,"properties":{}})",
             R"({"type":"simple","properties":[]})",
             R"({"type":"simple","transformScope":"everything","properties":{}})",
             R"({"type":"simple","disabled":"1","properties":{}})",
             R"({"type":"simple","properties":{"simpleFindText":5}})",
             R"({"type":"insert","properties":{"insertOffset":"3"}})",
             R"({"type":"insert","properties":{"insertOffset":3.5}})",
             R"({"type":"insert","properties":{"insertOffset":99999999999}})",
             R"({"type":"simple","properties":{"simpleCaseInsensitive":1}})",
             R"({"type":"conversion","properties":{"conversionLookup":[["a",1]]}})",
             R"({"type":"conversion","properties":{"conversionLookup":["a"]}})",
             R"({"type":"prefix","properties":{"prefixText":{"items":[{"type":"string"}]}}})",
             R"([])",
         })
        EXPECT_FALSE(read(bad).ok()) << bad;
}

TEST(TransformerJsonTest, BooleansAcceptTheStringOne) {
    auto record = read(R"({"type":"simple","properties":{"simpleCaseInsensitive":"1","simpleWildcards":"0",
        "simpleFindFirst":"yes","trimLeadingTrailingSpaces":true,"numberRandom":null}})");
    ASSERT_TRUE(record.ok()) << record.error().message;
    EXPECT_EQ(record->properties.simpleCaseInsensitive, true);
    EXPECT_EQ(record->properties.simpleWildcards, false);
    EXPECT_EQ(record->properties.simpleFindFirst, false);
    EXPECT_EQ(record->properties.trimLeadingTrailingSpaces, true);
    EXPECT_FALSE(record->properties.numberRandom);
}

TEST(TransformerJsonTest, NumbersKeptAsTextAlsoReadFromIntegers) {
    auto record = read(R"({"type":"numbering","properties":{"numberDigitText":3,"numberStartText":-5,
        "numberSkipText":"2","numberResetEveryText":10,"trimCount":5}})");
    ASSERT_TRUE(record.ok()) << record.error().message;
    EXPECT_EQ(record->properties.numberDigitText, "3");
    EXPECT_EQ(record->properties.numberStartText, "-5");
    EXPECT_EQ(record->properties.numberSkipText, "2");
    EXPECT_EQ(record->properties.numberResetEveryText, "10");
    EXPECT_EQ(record->properties.trimCount, "5");
    // Written back as text, as every recipe stores them.
    EXPECT_EQ(record->toJson()["properties"]["trimCount"], "5");

    for (const char* bad : {R"({"type":"trim","properties":{"trimCount":2.5}})",
                            R"({"type":"trim","properties":{"trimCount":true}})",
                            R"({"type":"numbering","properties":{"numberDigitText":[3]}})"})
        EXPECT_FALSE(read(bad).ok()) << bad;
}

TEST(TransformerJsonTest, PlainStringsOnlyForTheThreeOlderTokenFields) {
    auto record = read(R"js({"type":"simple","properties":{"simpleReplaceText":"abc","regexFindText":"(\\d+)",
        "regexReplaceText":null}})js");
    ASSERT_TRUE(record.ok()) << record.error().message;
    EXPECT_EQ(record->properties.simpleReplaceText, TokenString::fromPlainString("abc"));
    EXPECT_EQ(record->properties.regexFindText, TokenString::fromPlainString("(\\d+)"));
    EXPECT_EQ(record->properties.regexReplaceText, TokenString::fromPlainString(""));

    for (const char* field : {"insertText", "prefixText", "suffixText", "setText"}) {
        auto text = std::string(R"({"type":"insert","properties":{")") + field + R"(":"abc"}})";
        EXPECT_FALSE(Transformer::fromJson(Json::parse(text)).ok()) << field;
    }
}

TEST(TransformerJsonTest, LegacyCaseRecordAndOlderKeys) {
    auto legacy = read(R"({"type":"case","properties":{"caseType":"upper","caseMatch":"x","conversionMatch":"y",
        "caseScope":"whatever"}})");
    ASSERT_TRUE(legacy.ok()) << legacy.error().message;
    EXPECT_EQ(legacy->type, "conversion");
    EXPECT_EQ(legacy->properties.conversionType, "upper");
    EXPECT_EQ(legacy->properties.conversionFindText, "x");

    auto older = read(R"({"type":"numbering","properties":{"conversionMatch":"y","trimLocation":"end",
        "numberLocation":"beginning","numberLocationOffset":4,"insertMatch":"[0-9]+","insertLocation":"after",
        "insertFindWildcards":true}})");
    ASSERT_TRUE(older.ok()) << older.error().message;
    const auto& p = older->properties;
    EXPECT_EQ(p.conversionFindText, "y");
    EXPECT_EQ(p.trimPosition, "end");
    EXPECT_EQ(p.numberPosition, "start");
    EXPECT_EQ(p.numberPositionOffset, 4);
    EXPECT_EQ(p.insertFindText, "[0-9]+");
    EXPECT_EQ(p.insertFindRegex, true);
    EXPECT_EQ(p.insertFindWildcards, false);
    EXPECT_EQ(p.insertFindCaseInsensitive, false);
    EXPECT_EQ(p.insertPosition, "after");
    // Older keys are never written back.
    auto written = older->toJson().dump();
    for (const char* key : {"trimLocation", "numberLocation", "insertMatch", "insertLocation", "conversionMatch"})
        EXPECT_EQ(written.find(key), std::string::npos) << key;

    // Current keys win; an empty older insert match changes nothing.
    auto current = read(R"({"type":"numbering","properties":{"numberPosition":"end","numberLocation":"beginning",
        "insertMatch":"","insertFindWildcards":true}})");
    ASSERT_TRUE(current.ok());
    EXPECT_EQ(current->properties.numberPosition, "end");
    EXPECT_FALSE(current->properties.insertFindText);
    EXPECT_FALSE(current->properties.insertFindRegex);
    EXPECT_EQ(current->properties.insertFindWildcards, true);
    EXPECT_EQ(read(R"({"type":"numbering","properties":{"numberLocation":"middle"}})")->properties.numberPosition,
              "middle");
}

TEST(TransformerJsonTest, TrimMatchIsRewrittenFromItsOlderValues) {
    const std::pair<const char*, const char*> cases[] = {
        {"any", "trimany"}, {"anyof", "trimanyof"}, {"anyexcept", "trimanyexcept"}, {"trimany", "trimany"},
        {"all", "all"}};
    for (auto [stored, expected] : cases) {
        Json json = {{"type", "trim"}, {"properties", {{"trimMatch", stored}}}};
        auto record = Transformer::fromJson(json);
        ASSERT_TRUE(record.ok());
        EXPECT_EQ(record->properties.trimMatch, expected) << stored;
    }
}

// Each type's copy writes exactly the keys of its group, with their values; together they write every key once.
TEST(TransformerPropertiesTest, CopyForTypeKeepsOnlyThatGroup) {
    const std::map<std::string_view, std::string> groups = {
        {"simple", "simple"}, {"insert", "insert"}, {"prefix", "prefix"}, {"suffix", "suffix"},
        {"set", "set"},       {"numbering", "number"}, {"conversion", "conversion"}, {"trim", "trim"},
        {"regularexpression", "regex"}, {"select", "select"}};
    const auto all = everyProperty();
    const Json every = everyPropertyJson();
    std::size_t written = 0;
    for (const auto& info : transformerTypes()) {
        Json expected = Json::object();
        for (const auto& [key, value] : every.items())
            if (key.rfind(groups.at(info.typeId), 0) == 0)
                expected[key] = value;
        const Json copy = all.copy(info.typeId).toJson();
        EXPECT_EQ(copy.dump(), expected.dump()) << info.typeId;
        written += copy.size();
    }
    EXPECT_EQ(written, 71u);
}

TEST(TransformerPropertiesTest, CopyForUnknownTypeLogsAndKeepsEverything) {
    test::TempDir dir;
    auto log = dir.path() / "log.txt";
    Logger::setSink(LogSink::file, log);
    auto all = everyProperty();
    auto copy = all.copy("case");
    Logger::setSink(LogSink::standardStreams);
    EXPECT_EQ(copy, all);
    EXPECT_NE(test::readFile(log).find("ERROR: TransformerProperties copy for type 'case' not supported."),
              std::string::npos);
}

TEST(TransformerTest, EqualityIgnoresDisabledButTheHashDoesNot) {
    Transformer a("simple");
    a.properties.simpleFindText = "x";
    auto b = a;
    b.disabled = true;
    EXPECT_EQ(a, b);
    EXPECT_NE(a.changeHash(), b.changeHash());

    auto c = a;
    c.needsInitialSave = true;
    c.state = TransformerState();
    EXPECT_EQ(a.changeHash(), c.changeHash());

    auto d = a;
    d.description = "";
    EXPECT_NE(a, d);
    EXPECT_NE(a.changeHash(), d.changeHash());

    // Presence counts: an absent flag differs from a false one.
    auto e = a;
    e.properties.simpleFindFirst = false;
    EXPECT_NE(a, e);
    EXPECT_NE(a.changeHash(), e.changeHash());

    auto f = a;
    f.properties.simpleReplaceText = TokenString({TokenItem::attribute("tags")});
    auto g = f;
    g.properties.simpleReplaceText->items[0].numberDigits = 3;
    EXPECT_NE(f.changeHash(), g.changeHash());
    EXPECT_NE(f.changeHash(), a.changeHash());
}

TEST(TransformerTest, NewIdsAreUniqueUpperCaseHexMilliseconds) {
    std::set<std::string> ids;
    for (int i = 0; i < 2000; ++i)
        ids.insert(Transformer::makeId());
    EXPECT_EQ(ids.size(), 2000u);
    auto id = *ids.begin();
    auto hex = id.substr(std::string("transformer_").size());
    EXPECT_EQ(id.rfind("transformer_", 0), 0u);
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << id;
    auto millis = std::stoll(hex, nullptr, 16);
    auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
                   .count();
    EXPECT_LT(std::llabs(now - millis), 60'000);
    // Two records made one after the other never share an id.
    EXPECT_NE(Transformer("simple").id, Transformer("simple").id);
}

TEST(TransformerTypesTest, TableInRecipeCheckingOrder) {
    std::vector<std::string_view> ids;
    for (const auto& info : transformerTypes())
        ids.push_back(info.typeId);
    EXPECT_EQ(ids, (std::vector<std::string_view>{"simple", "insert", "prefix", "suffix", "set", "numbering",
                                                  "conversion", "trim", "regularexpression", "select"}));
    EXPECT_EQ(transformerTypeInfo("numbering")->title, "Number");
    EXPECT_EQ(transformerTypeInfo("regularexpression")->title, "RegEx");
    EXPECT_EQ(transformerTypeInfo("case"), nullptr);
}

TEST(TransformerDecodingTest, SwitchesReadFromBooleansAndFromTheirTexts) {
    const auto ignoresCase = [](const std::string& value) {
        const auto decoded = Transformer::fromJson(nlohmann::ordered_json::parse(
            R"({"type":"simple","properties":{"simpleCaseInsensitive":)" + value + "}}"));
        EXPECT_TRUE(decoded.ok()) << value;
        return decoded.ok() && decoded->properties.simpleCaseInsensitive.value_or(false);
    };
    for (const char* on : {"true", "\"1\"", "\"true\""})
        EXPECT_TRUE(ignoresCase(on)) << on;
    for (const char* off : {"false", "\"0\"", "\"false\"", "\"\""})
        EXPECT_FALSE(ignoresCase(off)) << off;
}

TEST(TransformerDecodingTest, ANumberWhereATokenStringBelongsIsAnErrorNotAnEmptyText) {
    for (const char* value : {"7", "true", "[1]", "{\"items\":3}"}) {
        const auto decoded = Transformer::fromJson(nlohmann::ordered_json::parse(
            std::string(R"({"type":"simple","properties":{"simpleReplaceText":)") + value + "}}"));
        ASSERT_FALSE(decoded.ok()) << value;
        EXPECT_NE(decoded.error().message.find("simpleReplaceText"), std::string::npos) << value;
    }
}

} // namespace
