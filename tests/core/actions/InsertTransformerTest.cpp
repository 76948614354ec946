// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/InsertTransformer.h"

#include "StubTokenResolver.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

using test::applied;

TransformerProperties insert(std::string text, std::string position, int offset, std::string find = {}) {
    TransformerProperties p;
    p.insertText = test::literal(std::move(text));
    p.insertPosition = std::move(position);
    p.insertOffset = offset;
    p.insertFindText = std::move(find);
    return p;
}

std::string insertedName(const TransformerProperties &p, std::string_view name) {
    return applied<InsertTransformer>(p, TransformScope::filename, File::fromPath("/tmp/" + std::string(name)))
        .transformed.transformedName;
}

TEST(InsertTransformerTest, OffsetsFromStartOrEndOfTheWholeTextAreClamped) {
    EXPECT_EQ(insertedName(insert("-", "start", 2), "abcdef"), "ab-cdef");
    EXPECT_EQ(insertedName(insert("-", "end", -2), "abcdef"), "abcd-ef");
    // Any position but "start", or none, counts as "end".
    TransformerProperties p = insert("-", "middle", 0);
    EXPECT_EQ(insertedName(p, "abc"), "abc-");
    p.insertPosition.reset();
    p.insertOffset.reset();
    EXPECT_EQ(insertedName(p, "abc"), "abc-");
    // Offsets are clamped at both ends.
    EXPECT_EQ(insertedName(insert("-", "start", 100), "abc"), "abc-");
    EXPECT_EQ(insertedName(insert("-", "start", -100), "abc"), "-abc");
    EXPECT_EQ(insertedName(insert("-", "end", -100), "abc"), "-abc");
    EXPECT_EQ(insertedName(insert("-", "end", 100, "a"), "abab"), "abab--");
}

TEST(InsertTransformerTest, AtEveryMatchOrTheFirst) {
    EXPECT_EQ(insertedName(insert("-", "end", 0, "b"), "abab"), "ab-ab-");
    EXPECT_EQ(insertedName(insert("-", "start", 0, "b"), "abab"), "a-ba-b");
    TransformerProperties p = insert("-", "end", 0, "b");
    p.insertFindFirst = true;
    EXPECT_EQ(insertedName(p, "abab"), "ab-ab");
    p = insert("-", "start", 0, "B");
    EXPECT_EQ(insertedName(p, "abab"), "abab");
    p.insertFindCaseInsensitive = true;
    EXPECT_EQ(insertedName(p, "abab"), "a-ba-b");
    p = insert("#", "start", 0, "[0-9]+");
    p.insertFindRegex = true;
    EXPECT_EQ(insertedName(p, "a12b3"), "a#12b#3");
    p = insert("#", "end", 1, "x*y");
    p.insertFindWildcards = true;
    EXPECT_EQ(insertedName(p, "x12y34"), "x12y3#4");
}

TEST(InsertTransformerTest, PositionsCountCharacters) {
    // Accented letters, a skin-toned emoji and a family sequence are one character each.
    EXPECT_EQ(insertedName(insert("-", "start", 3), "éé👍🏽👨‍👩‍👧x"),
              "éé👍🏽-👨‍👩‍👧x");
    EXPECT_EQ(insertedName(insert("-", "end", -1), std::string(test::kCafeNfd)), "Caf-e\xCC\x81");
    EXPECT_EQ(insertedName(insert("-", "end", 0, "é"), "éaé"), "é-aé-");
}

TEST(InsertTransformerTest, NothingToInsertOrNothingFound) {
    TransformerProperties p = insert("-", "start", 0, "b");
    p.insertText.reset();
    EXPECT_EQ(insertedName(p, "abc"), "abc");
    EXPECT_EQ(insertedName(insert("-", "start", 0, "z"), "abc"), "abc");
    p = insert("-", "start", 0, "(");
    p.insertFindRegex = true;
    EXPECT_EQ(insertedName(p, "a(b"), "a(b");
}

} // namespace
} // namespace quillory
