// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/Transformable.h"

#include "actions/TransformableFactory.h"
#include "app/Registry.h"
#include "model/Transformer.h"

#include <gtest/gtest.h>

using namespace quillory;

namespace {

TEST(TransformableTest, UnknownKindMakesNoTransformable) {
    EXPECT_EQ(makeTransformable(Transformer("no-such-kind")), nullptr);
}

// A kind that appends the resolved replacement text, to show which resolver each transform hands over.
class AppendKind : public Transformable {
public:
    using Transformable::Transformable;
    std::string_view typeId() const override { return "suffix"; }
    std::string_view title() const override { return "Suffix"; }
    TransformStatus transformWith(const TransformerProperties& properties, TransformScope scope, File& file, int,
                                  TokenResolver& resolver, std::stop_token stop) override {
        auto text = resolver.text(properties.suffixText, file, stop);
        if (!text)
            return text.error();
        file.transformed.setText(file.transformed.text(scope) + *text, scope);
        return {};
    }
};

class FixedResolver : public TokenResolver {
public:
    explicit FixedResolver(std::optional<std::string> text) : text_(std::move(text)) {}
    TransformResult<std::string> rawText(const TokenItem& item, File&, std::stop_token) override {
        if (!item.isAttribute())
            return item.value;
        if (!text_)
            return TransformError::lateUpdateRequired();
        return *text_;
    }

private:
    std::optional<std::string> text_;
};

TEST(TransformableTest, TransformAndQuickTransformDifferOnlyInTheResolver) {
    TransformerProperties properties;
    properties.suffixText = TokenString({TokenItem::text("_"), TokenItem::attribute("date-created")});
    AppendKind kind("help", TransformerState());
    kind.setResolvers({std::make_shared<FixedResolver>("2021"), std::make_shared<FixedResolver>(std::nullopt)});

    auto file = File::fromPath("/photos/a.jpg");
    EXPECT_TRUE(kind.transform(properties, TransformScope::filename, file, 0, {}).ok());
    EXPECT_EQ(file.transformed.transformedName, "a_2021");

    auto quick = File::fromPath("/photos/a.jpg");
    auto status = kind.transformQuick(properties, TransformScope::filename, quick, 0, {});
    ASSERT_FALSE(status.ok());
    EXPECT_TRUE(status.error().isLateUpdateRequired());
    EXPECT_EQ(quick.transformed.transformedName, "a");
    EXPECT_EQ(kind.helpText(), "help");
}

TEST(TransformableTest, WithoutResolversTheTransformFailsClearly) {
    Registry::shared().clear();
    AppendKind kind("help", TransformerState());
    auto file = File::fromPath("/photos/a.jpg");
    auto status = kind.transform({}, TransformScope::filename, file, 0, {});
    ASSERT_FALSE(status.ok());
    EXPECT_TRUE(status.error().isFatal());
    EXPECT_EQ(file.transformed.transformedName, "a");
}

} // namespace
