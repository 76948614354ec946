// SPDX-License-Identifier: GPL-3.0-or-later
// Short action options build the same records as their JSON forms.
#include "ShortActions.h"

#include "TempDir.h"

#include "model/Transformer.h"
#include "model/TokenDetailsList.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

namespace quillory::cli {
namespace {

using ::testing::HasSubstr;
using Json = nlohmann::ordered_json;

const TokenDetailsList& catalogue() {
    static const auto list = TokenDetailsList::loadEmbedded();
    return list;
}

std::vector<Transformer> records(const std::vector<std::string>& arguments) {
    auto extracted = extractActions(arguments, catalogue());
    EXPECT_TRUE(extracted.ok()) << (extracted.ok() ? "" : extracted.error().message);
    std::vector<Transformer> out;
    if (!extracted.ok())
        return out;
    for (const auto& text : extracted->actions) {
        auto record = Transformer::fromJson(Json::parse(text));
        EXPECT_TRUE(record.ok()) << text;
        if (record.ok())
            out.push_back(*record);
    }
    return out;
}

std::string failure(const std::vector<std::string>& arguments) {
    auto extracted = extractActions(arguments, catalogue());
    EXPECT_FALSE(extracted.ok()) << ::testing::PrintToString(arguments);
    return extracted.ok() ? std::string() : extracted.error().message;
}

struct Case {
    std::vector<std::string> arguments;
    const char* json; // the record as one would write it with -a
};

TEST(ShortActionsTest, EveryShortOptionMakesTheRecordOfItsJsonForm) {
    test::TempDir temp;
    const auto table = temp.path() / "table.csv";
    std::ofstream(table) << "colour;color\nfavourite;favorite\n";

    const std::vector<Case> cases = {
        {{"--replace", "_", " "}, R"({"type":"simple","properties":{"simpleFindText":"_","simpleReplaceText":" "}})"},
        {{"--replace", "a*b", "x", "--wildcards", "--ignore-case", "--first"},
         R"({"type":"simple","properties":{"simpleFindText":"a*b","simpleReplaceText":"x",
             "simpleWildcards":true,"simpleCaseInsensitive":true,"simpleFindFirst":true}})"},
        {{"--replace", "(\\d+)-(\\d+)", "$2-$1", "--regex", "--ignore-case"},
         R"js({"type":"regularexpression","properties":{"regexFindText":"(\\d+)-(\\d+)",
             "regexReplaceText":"$2-$1","regexCaseInsensitive":true}})js"},
        {{"--insert", "X"}, R"({"type":"insert","properties":{"insertText":{"items":[{"type":"string","value":"X"}]}}})"},
        {{"--insert", "X", "--at", "2"},
         R"({"type":"insert","properties":{"insertText":{"items":[{"type":"string","value":"X"}]},
             "insertPosition":"start","insertOffset":2}})"},
        {{"--insert", "X", "--at=-1"},
         R"({"type":"insert","properties":{"insertText":{"items":[{"type":"string","value":"X"}]},
             "insertPosition":"end","insertOffset":-1}})"},
        {{"--insert", "-", "--after", "[0-9]+", "--regex", "--first"},
         R"({"type":"insert","properties":{"insertText":{"items":[{"type":"string","value":"-"}]},
             "insertFindText":"[0-9]+","insertPosition":"end","insertFindRegex":true,"insertFindFirst":true}})"},
        {{"--prefix", "{parent} "},
         R"({"type":"prefix","properties":{"prefixText":{"items":[{"type":"attribute","value":"parent-directory-1"},
             {"type":"string","value":" "}]}}})"},
        {{"--suffix", "_{{x}}"},
         R"({"type":"suffix","properties":{"suffixText":{"items":[{"type":"string","value":"_{x}"}]}}})"},
        {{"--set", "{DateTimeOriginal:yyyy-MM-dd} {city}"},
         R"({"type":"set","properties":{"setText":{"items":[
             {"type":"attribute","value":"{Exif}.DateTimeOriginal","dateFormat":"yyyy-MM-dd"},
             {"type":"string","value":" "},{"type":"attribute","value":"GPS-AddressCity"}]}}})"},
        {{"--number"}, R"({"type":"numbering","properties":{"numberPosition":"start"}})"},
        {{"--number", "--at", "end"}, R"({"type":"numbering","properties":{"numberPosition":"end","numberPositionOffset":0}})"},
        {{"--insert", "X", "--at", "start"},
         R"({"type":"insert","properties":{"insertText":{"items":[{"type":"string","value":"X"}]},
             "insertPosition":"start","insertOffset":0}})"},
        {{"--number", "10:5", "--digits", "3", "--per-folder", "--format", "roman", "--separator", " "},
         R"({"type":"numbering","properties":{"numberStartText":10,"numberSkipText":"5","numberDigitText":3,
             "numberResetEveryDirectoryChange":true,"numberFormat":"roman","numberSeparatorText":" ",
             "numberPosition":"start"}})"},
        {{"--number=7", "--format", "hex", "--before", "x"},
         R"({"type":"numbering","properties":{"numberStartText":"7","numberFormat":"hexadecimal",
             "numberFindText":"x","numberPosition":"start"}})"},
        {{"--trim", "2"}, R"({"type":"trim","properties":{"trimPosition":"around","trimCount":2}})"},
        {{"--trim-start", "3"}, R"({"type":"trim","properties":{"trimPosition":"start","trimCount":"3"}})"},
        {{"--trim-end", "1"}, R"({"type":"trim","properties":{"trimPosition":"end","trimCount":"1"}})"},
        {{"--trim-chars", "_- "},
         R"({"type":"trim","properties":{"trimPosition":"around","trimMatch":"trimanyof","trimCharacters":"_- ",
             "trimCount":"255"}})"},
        {{"--case", "lower"}, R"({"type":"conversion","properties":{"conversionType":"lowercase"}})"},
        {{"--case", "upper"}, R"({"type":"conversion","properties":{"conversionType":"uppercase"}})"},
        {{"--case", "title"}, R"({"type":"conversion","properties":{"conversionType":"capitalizeall"}})"},
        {{"--case", "sentence"}, R"({"type":"conversion","properties":{"conversionType":"capitalizefirst"}})"},
        {{"--ascii"}, R"({"type":"conversion","properties":{"conversionType":"removediacritics"}})"},
        {{"--windows-safe"}, R"({"type":"conversion","properties":{"conversionType":"windowscompatibility"}})"},
        {{"--lookup", table.string()},
         R"({"type":"conversion","properties":{"conversionType":"lookup",
             "conversionLookup":[["colour","color"],["favourite","favorite"]]}})"},
        {{"--select", "^IMG"}, R"({"type":"select","properties":{"selectType":"matching","selectMatch":"^IMG"}})"},
        {{"--scope", "ext", "--case", "lower"},
         R"({"type":"conversion","transformScope":"extension","properties":{"conversionType":"lowercase"}})"},
        {{"--scope", "full", "--replace", "a", "b"},
         R"({"type":"simple","transformScope":"fullpath","properties":{"simpleFindText":"a","simpleReplaceText":"b"}})"},
        {{"--scope", "path", "--suffix", "/x"},
         R"({"type":"suffix","transformScope":"path","properties":{"suffixText":{"items":[{"type":"string","value":"/x"}]}}})"},
        {{"--scope", "extension", "--set", "txt"},
         R"({"type":"set","transformScope":"extension","properties":{"setText":{"items":[{"type":"string","value":"txt"}]}}})"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(::testing::PrintToString(row.arguments));
        const auto made = records(row.arguments);
        ASSERT_EQ(made.size(), 1u);
        auto expected = Transformer::fromJson(Json::parse(row.json));
        ASSERT_TRUE(expected.ok()) << expected.error().message;
        expected->id = made[0].id;
        EXPECT_EQ(made[0], *expected) << made[0].toJson().dump() << "\n" << expected->toJson().dump();
    }
}

TEST(ShortActionsTest, ActionsKeepTheirOrderAmongJsonActionsAndScopeIsForTheNextOnly) {
    const std::string json = R"({"type":"prefix","properties":{"prefixText":{"items":[]}}})";
    auto extracted = extractActions({"--scope", "ext", "--case", "lower", "-d", "/a", "/b", "-a", json, "--ascii",
                                     "--rename", "x.txt", "--", "--prefix"},
                                    catalogue());
    ASSERT_TRUE(extracted.ok()) << extracted.error().message;
    EXPECT_EQ(extracted->remaining, (std::vector<std::string>{"-d", "/a", "/b", "--rename", "x.txt", "--", "--prefix"}));
    ASSERT_EQ(extracted->actions.size(), 3u);
    EXPECT_EQ(Json::parse(extracted->actions[0])["transformScope"], "extension");
    EXPECT_EQ(extracted->actions[1], json);
    EXPECT_EQ(Json::parse(extracted->actions[2])["transformScope"], "filename");
    // A path after --number is a path, not its start.
    auto numbered = extractActions({"--number", "photos"}, catalogue());
    ASSERT_TRUE(numbered.ok());
    EXPECT_EQ(numbered->remaining, std::vector<std::string>{"photos"});
    // A setting given with --set still reaches the settings.
    auto setting = extractActions({"--set", "autoResolveDuplicates=false", "--set", "a=b"}, catalogue());
    ASSERT_TRUE(setting.ok());
    EXPECT_EQ(setting->remaining, (std::vector<std::string>{"--setting", "autoResolveDuplicates=false"}));
    EXPECT_EQ(setting->actions.size(), 1u);
}

TEST(ShortActionsTest, MistakesAreExplained) {
    EXPECT_THAT(failure({"--digits", "3"}), HasSubstr("changes the action before it"));
    EXPECT_THAT(failure({"--prefix", "x", "--digits", "3"}), HasSubstr("does not apply to a Prefix action"));
    EXPECT_THAT(failure({"--replace", "a*", "b", "--wildcards", "--regex"}), HasSubstr("--regex does not apply"));
    EXPECT_THAT(failure({"--insert", "x", "--regex"}), HasSubstr("does not apply"));
    EXPECT_THAT(failure({"--replace", "a"}), HasSubstr("--replace needs a value"));
    EXPECT_THAT(failure({"--scope", "nam", "--ascii"}), HasSubstr("did you mean name?"));
    EXPECT_THAT(failure({"--scope", "ext"}), HasSubstr("not followed by an action"));
    EXPECT_THAT(failure({"--scope", "ext", "-a", "{}"}), HasSubstr("transformScope"));
    EXPECT_THAT(failure({"--case", "lowercase"}), HasSubstr("lower, upper, title or sentence"));
    EXPECT_THAT(failure({"--trim", "-1"}), HasSubstr("count of characters"));
    EXPECT_THAT(failure({"--number", "--digits", "0"}), HasSubstr("from 1 to 20"));
    EXPECT_THAT(failure({"--number=x"}), HasSubstr("START or START:STEP"));
    EXPECT_THAT(failure({"--set", "{artst}"}), HasSubstr("did you mean {artist}"));
    EXPECT_THAT(failure({"--lookup", "/nonexistent/table.csv"}), HasSubstr("--lookup"));
}

TEST(ShortActionsTest, TextsThatAreNotUtf8AreRefusedNamingTheOption) {
    const std::string latin1 = "caf\xe9";
    struct Case {
        std::vector<std::string> arguments;
        std::string option;
    };
    const std::vector<Case> cases = {
        {{"--replace", latin1, "x"}, "--replace"},
        {{"--replace", "x", latin1}, "--replace"},
        {{"--prefix", latin1}, "--prefix"},
        {{"--suffix", latin1}, "--suffix"},
        {{"--insert", latin1}, "--insert"},
        {{"--set", latin1}, "--set"},
        {{"--trim-chars", latin1}, "--trim-chars"},
        {{"--select", latin1}, "--select"},
        {{"--insert", "x", "--after", latin1}, "--after"},
        {{"--number", "--before", latin1}, "--before"},
        {{"--number", "--separator", latin1}, "--separator"}};
    for (const auto& c : cases)
        EXPECT_EQ(failure(c.arguments), c.option + ": the text is not valid UTF-8");

    test::TempDir temp;
    const auto table = temp.path() / "latin1.csv";
    std::ofstream(table) << "colour;color\n" << latin1 << ";cafe\n";
    EXPECT_THAT(failure({"--lookup", table.string()}),
                HasSubstr("--lookup: the text is not valid UTF-8 (row 2 of " + table.string() + ": caf\\xe9;cafe)"));
}

TEST(ShortActionsTest, PositionsAndCountsOutsideWhatTheActionTakesAreRefused) {
    EXPECT_THAT(failure({"--insert", "Z", "--at", "4294967298"}), HasSubstr("from -2147483648 to 2147483647"));
    EXPECT_THAT(failure({"--insert", "Z", "--at", "2147483648"}), HasSubstr("not '2147483648'"));
    EXPECT_THAT(failure({"--number", "--at", "-2147483649"}), HasSubstr("--at takes a character position"));
    EXPECT_EQ(records({"--insert", "Z", "--at", "-2147483648"}).at(0).properties.insertOffset, -2147483648);
    EXPECT_THAT(failure({"--trim-start", "16777216"}), HasSubstr("--trim-start takes a count of characters up to"));
    EXPECT_THAT(failure({"--trim", "9223372036854775807"}), HasSubstr("up to 16777215"));
    EXPECT_EQ(records({"--trim-end", "16777215"}).at(0).properties.trimCount, "16777215");

    // A start too large is still a start, not a path to open.
    EXPECT_THAT(failure({"--number", "5:99999999999999999999", "trip"}), HasSubstr("START or START:STEP"));
    EXPECT_THAT(failure({"--number", "99999999999999999999"}), HasSubstr("START or START:STEP"));
    const auto path = extractActions({"--number", "5:x", "trip"}, catalogue());
    ASSERT_TRUE(path.ok());
    EXPECT_EQ(path->remaining, (std::vector<std::string>{"5:x", "trip"}));
}

} // namespace
} // namespace quillory::cli
