// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/ChainCheck.h"

#include "model/TokenDetailsList.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quillory {
namespace {

using Code = ChainProblem::Code;
using Json = nlohmann::ordered_json;

class ChainCheckTest : public ::testing::Test {
protected:
    std::vector<ChainProblem> problems(const std::string& record) const {
        const Json json = Json::parse(record);
        const auto decoded = Transformer::fromJson(json);
        EXPECT_TRUE(decoded.ok()) << record;
        return decoded ? check.check(*decoded, json, 3) : std::vector<ChainProblem>{};
    }

    ChainCheck check{std::make_shared<const TokenDetailsList>(TokenDetailsList::loadEmbedded())};
};

TEST_F(ChainCheckTest, InvalidPatternsCarryTheLibraryMessageAndOffset) {
    const auto found = problems(R"({"type":"regularexpression","properties":{"regexFindText":"ab(","regexReplaceText":"x"}})");
    EXPECT_EQ(found, (std::vector<ChainProblem>{{Code::invalidPattern, 3, "regularexpression", "regexFindText", "ab(",
                                                 "U_REGEX_MISMATCHED_PAREN", 3, {}, {}}}));

    // A find text is a pattern only when it is marked so (and wildcards are off); select and lookup
    // rows always are.
    EXPECT_EQ(problems(R"({"type":"insert","properties":{"insertFindText":"a{2,1}","insertFindRegex":true}})")
                  .at(0)
                  .key,
              "insertFindText");
    EXPECT_TRUE(problems(R"({"type":"insert","properties":{"insertFindText":"a{2,1}"}})").empty());
    EXPECT_TRUE(
        problems(R"({"type":"trim","properties":{"trimFindText":"(","trimFindRegex":true,"trimFindWildcards":true}})")
            .empty());
    EXPECT_EQ(problems(R"({"type":"select","properties":{"selectType":"matching","selectMatch":"\\p{Bogus}"}})")
                  .at(0)
                  .code,
              Code::invalidPattern);
    EXPECT_EQ(problems(R"({"type":"conversion","properties":{"conversionType":"lookup",
                          "conversionLookup":[["ok","x"],["[a","y"]]}})")
                  .at(0)
                  .value,
              "[a");
}

TEST_F(ChainCheckTest, MisspeltKeysValuesAndAttributesComeWithASuggestion) {
    const auto found = problems(R"({"type":"conversion","transformScop":"filename",
        "properties":{"conversionTyp":"lowercase","conversionType":"lowercas"}})");
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].code, Code::unknownKey);
    EXPECT_EQ(found[0].key, "transformScop");
    EXPECT_EQ(found[0].suggestion, "transformScope");
    EXPECT_EQ(found[1].code, Code::unknownKey);
    EXPECT_EQ(found[1].key, "properties.conversionTyp");
    EXPECT_EQ(found[1].suggestion, "conversionType");
    EXPECT_EQ(found[2].code, Code::unknownValue);
    EXPECT_EQ(found[2].key, "conversionType");
    EXPECT_EQ(found[2].suggestion, "lowercase");
    EXPECT_THAT(found[2].allowed, ::testing::Contains("windowscompatibility"));

    const auto attribute = problems(R"({"type":"insert","properties":{"insertText":{"items":[
        {"type":"attribute","value":"id3-artst"},{"type":"atribute","value":"id3-artist"}]}}})");
    ASSERT_EQ(attribute.size(), 2u);
    EXPECT_EQ(attribute[0].code, Code::unknownAttribute);
    EXPECT_EQ(attribute[0].key, "insertText");
    EXPECT_EQ(attribute[0].suggestion, "id3-artist");
    EXPECT_EQ(attribute[1].code, Code::unknownItemType);
    EXPECT_EQ(attribute[1].suggestion, "attribute");

    // A name far from every known one gets no guess.
    EXPECT_EQ(problems(R"({"type":"simple","properties":{"zzzzzzzzzzzz":1}})").at(0).suggestion, "");
}

TEST_F(ChainCheckTest, ReferencesToMissingGroups) {
    const auto found =
        problems(R"j({"type":"regularexpression","properties":{"regexFindText":"(\\d+)-(x)","regexReplaceText":"$2$1$9 \\$7 $12"}})j");
    // "$12" with two groups is group 1 then "2"; "\$7" is a dollar sign.
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].code, Code::unknownGroup);
    EXPECT_EQ(found[0].value, "$9");
    EXPECT_EQ(found[0].detail, "2");
}

TEST_F(ChainCheckTest, SoundChainsAndOlderKeysHaveNoProblems) {
    EXPECT_TRUE(problems(R"({"id":"t1","type":"numbering","transformScope":"filename","disabled":false,
        "description":"n","properties":{"numberFormat":"roman","numberPosition":"start","numberLocation":"beginning",
        "numberFindText":"\\d+","numberFindRegex":true}})")
                    .empty());
    EXPECT_TRUE(problems(R"({"type":"case","properties":{"caseType":"uppercase","caseMatch":"a"}})").empty());
    EXPECT_TRUE(problems(R"({"type":"trim","properties":{"trimMatch":"any","trimPosition":""}})").empty());

    const Json recipe = Json::parse(R"({"transformers":[
        {"type":"simple","properties":{"simpleFindText":"_"}},
        {"type":"select","properties":{"selectType":"everything"}},
        {"type":"simple","properties":{"simpleReplaceText":7}}]})");
    const auto inRecipe = check.checkRecipe(recipe);
    ASSERT_EQ(inRecipe.size(), 1u);
    EXPECT_EQ(inRecipe[0].action, 1u);
    EXPECT_EQ(inRecipe[0].value, "everything");
}

// Numbers kept as text that do not read as whole numbers, which the actions would take as their default.
TEST_F(ChainCheckTest, NumbersThatAreNotWholeNumbers) {
    const auto found = problems(R"({"type":"numbering","properties":{"numberStartText":" 5","numberSkipText":"-2",
        "numberDigitText":"99999999999999999999","numberResetEveryText":""}})");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].code, Code::notAWholeNumber);
    EXPECT_EQ(found[0].key, "numberStartText");
    EXPECT_EQ(found[0].detail, "1");
    EXPECT_EQ(found[1].key, "numberDigitText");
    EXPECT_EQ(problems(R"({"type":"trim","properties":{"trimCount":"abc"}})").at(0).key, "trimCount");
    EXPECT_TRUE(problems(R"({"type":"trim","properties":{"trimCount":"-3"}})").empty());
}

// The chain leaves out an action of a kind it does not know: a recipe's reader hears of it once.
TEST_F(ChainCheckTest, AnUnknownKindIsOneProblem) {
    const auto found = check.checkRecipe(Json::parse(R"({"transformers":[
        {"type":"simple","properties":{"simpleFindText":"_"}},
        {"type":"prefx","properties":{"prefixText":"a","whatever":1}}]})"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].action, 1u);
    EXPECT_EQ(found[0].code, Code::unknownValue);
    EXPECT_EQ(found[0].key, "type");
    EXPECT_EQ(found[0].suggestion, "prefix");
}

} // namespace
} // namespace quillory
