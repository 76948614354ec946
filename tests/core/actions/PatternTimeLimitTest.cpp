// SPDX-License-Identifier: GPL-3.0-or-later
// A pattern that runs out of time is the file's error, never a silent no-match.
#include "actions/RegularExpressionTransformer.h"
#include "actions/SelectTransformer.h"
#include "actions/SimpleTransformer.h"
#include "text/Regex.h"

#include "StubTokenResolver.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

class PatternTimeLimitTest : public ::testing::Test {
protected:
    void SetUp() override { text::Regex::setTimeLimit(5); }
    void TearDown() override { text::Regex::setTimeLimit(text::Regex::defaultTimeLimit); }

    template <typename Action> TransformStatus run(const TransformerProperties& properties, File& file) {
        Action action;
        auto resolver = std::make_shared<test::StubTokenResolver>();
        action.setResolvers({resolver, resolver});
        return action.transform(properties, TransformScope::filename, file, 0, {});
    }
};

void expectTimeout(const TransformStatus& status) {
    ASSERT_FALSE(status.ok());
    EXPECT_TRUE(status.error().isFatal());
    EXPECT_EQ(status.error().messageText, "The pattern took too long");
}

TEST_F(PatternTimeLimitTest, NestedRepetitionInTheRegularExpressionAction) {
    TransformerProperties properties;
    properties.regexFindText = test::literal("(a+)+$");
    properties.regexReplaceText = test::literal("x");
    File file = File::fromPath("/d/" + std::string(60, 'a') + "!");
    file.resetTransform();
    expectTimeout(run<RegularExpressionTransformer>(properties, file));
    EXPECT_EQ(file.transformed.transformedName, std::string(60, 'a') + "!");

    // The same pattern on a name it can settle quickly still works.
    File shortName = File::fromPath("/d/baaa");
    shortName.resetTransform();
    EXPECT_TRUE(run<RegularExpressionTransformer>(properties, shortName).ok());
    EXPECT_EQ(shortName.transformed.transformedName, "bx");
}

TEST_F(PatternTimeLimitTest, WildcardFindInThePlainReplaceAction) {
    TransformerProperties properties;
    properties.simpleFindText = "*a*a*a*a*a*a*a*a*a*a*!x";
    properties.simpleWildcards = true;
    properties.simpleReplaceText = test::literal("y");
    File file = File::fromPath("/d/" + std::string(24, 'a'));
    file.resetTransform();
    expectTimeout(run<SimpleTransformer>(properties, file));
    EXPECT_EQ(file.transformed.transformedName, std::string(24, 'a'));
}

TEST_F(PatternTimeLimitTest, SelectionIsLeftAsItWas) {
    TransformerProperties properties;
    properties.selectType = "notmatching";
    properties.selectMatch = "(a+)+$";
    File file = File::fromPath("/d/" + std::string(60, 'a') + "!");
    file.resetTransform();
    file.transformed.isSelected = true;
    expectTimeout(run<SelectTransformer>(properties, file));
    EXPECT_TRUE(file.transformed.isSelected);
}

} // namespace
} // namespace quillory
