// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/TransformableFactory.h"

#include "StubTokenResolver.h"
#include "model/TransformerTypes.h"

#include <gtest/gtest.h>

#include <set>

namespace quillory {
namespace {

// Kinds whose code lives beside these; they are expected once their headers are part of the build.
std::set<std::string_view> expectedKinds() {
    std::set<std::string_view> kinds{"simple", "insert", "prefix", "suffix", "set", "select"};
#if __has_include("actions/NumberingTransformer.h")
    kinds.insert("numbering");
#endif
#if __has_include("actions/ConversionTransformer.h")
    kinds.insert("conversion");
#endif
#if __has_include("actions/TrimTransformer.h")
    kinds.insert("trim");
#endif
#if __has_include("actions/RegularExpressionTransformer.h")
    kinds.insert("regularexpression");
#endif
    return kinds;
}

TEST(TransformableFactoryTest, EveryKnownTypeMakesItsKind) {
    const auto expected = expectedKinds();
    for (const TransformerTypeInfo &info : transformerTypes()) {
        const Transformer record{std::string(info.typeId)};
        const auto kind = makeTransformable(record);
        if (!expected.count(info.typeId)) {
            EXPECT_EQ(kind, nullptr) << info.typeId;
            continue;
        }
        ASSERT_NE(kind, nullptr) << info.typeId;
        EXPECT_EQ(kind->typeId(), info.typeId);
        EXPECT_EQ(kind->title(), info.title);
        EXPECT_EQ(kind->helpText(), info.helpText);
        // The kind shares the record's run-time state.
        EXPECT_EQ(kind->state().randomNumberGenerator, record.state.randomNumberGenerator);
    }
}

TEST(TransformableFactoryTest, UnknownTypeMakesNothing) {
    EXPECT_EQ(makeTransformable(Transformer{"case"}), nullptr);
    EXPECT_EQ(makeTransformable(Transformer{""}), nullptr);
    EXPECT_EQ(makeTransformable(Transformer{"SIMPLE"}), nullptr);
}

TEST(TransformableFactoryTest, FullAndQuickTransformsUseTheirOwnResolver) {
    Transformer record{"prefix"};
    record.properties.prefixText = test::withAttribute("x", "exifDate");
    auto kind = makeTransformable(record);
    ASSERT_NE(kind, nullptr);
    kind->setResolvers({std::make_shared<LiteralTokenResolver>(), std::make_shared<test::StubTokenResolver>()});

    File file = File::fromPath("/tmp/name.txt");
    EXPECT_TRUE(kind->transform(record.properties, TransformScope::filename, file, 0, {}).ok());
    EXPECT_EQ(file.transformed.transformedName, "xname");
    const auto quick = kind->transformQuick(record.properties, TransformScope::filename, file, 0, {});
    ASSERT_FALSE(quick.ok());
    EXPECT_TRUE(quick.error().isLateUpdateRequired());
    EXPECT_EQ(file.transformed.transformedName, "xname");
}

} // namespace
} // namespace quillory
