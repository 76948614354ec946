// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/TransformableFactory.h"

#include "StubTokenResolver.h"
#include "app/Registry.h"
#include "model/TransformerTypes.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace quillory {
namespace {

// Properties as a recipe holds them; a plain text in a token field stands for one text item.
TransformerProperties properties(const char* text) {
    auto json = nlohmann::ordered_json::parse(text);
    for (const char* key : {"prefixText", "suffixText", "insertText", "setText"})
        if (json.contains(key))
            json[key] = {{"items", {{{"type", "string"}, {"value", json[key]}}}}};
    return TransformerProperties::fromJson(json).value();
}

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
    for (const TransformerTypeInfo& info : transformerTypes()) {
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

// Each kind reads only its own fields, so one set of properties serves every kind of text action.
TEST(TransformableFactoryTest, FullAndQuickTransformsUseTheirOwnResolver) {
    TransformerProperties p;
    p.prefixText = p.suffixText = p.insertText = p.setText = p.simpleReplaceText = test::withAttribute("x", "exifDate");
    p.regexReplaceText = p.prefixText;
    p.simpleFindText = "name";
    p.regexFindText = test::literal("m");
    const std::pair<const char*, const char*> kinds[] = {{"prefix", "xname"}, {"suffix", "namex"},
                                                         {"insert", "namex"}, {"set", "x"},
                                                         {"simple", "x"},     {"regularexpression", "naxe"}};
    for (const auto& [type, fullName] : kinds) {
        auto kind = makeTransformable(Transformer{type});
        ASSERT_NE(kind, nullptr);
        kind->setResolvers({std::make_shared<LiteralTokenResolver>(), std::make_shared<test::StubTokenResolver>()});
        File file = File::fromPath("/tmp/name.txt");
        EXPECT_TRUE(kind->transform(p, TransformScope::filename, file, 0, {}).ok()) << type;
        EXPECT_EQ(file.transformed.transformedName, fullName) << type;
        // A value the quick resolver cannot give yet stops the action and leaves the file as it was.
        const FileTransform before = file.transformed;
        const auto quick = kind->transformQuick(p, TransformScope::filename, file, 0, {});
        ASSERT_FALSE(quick.ok()) << type;
        EXPECT_TRUE(quick.error().isLateUpdateRequired()) << type;
        EXPECT_EQ(file.transformed, before) << type;
    }
}

TEST(TransformableFactoryTest, WithoutResolversTheTransformFailsClearly) {
    Registry::shared().clear();
    const auto kind = makeTransformable(Transformer{"suffix"});
    File file = File::fromPath("/photos/a.jpg");
    const auto status = kind->transform({}, TransformScope::filename, file, 0, {});
    ASSERT_FALSE(status.ok());
    EXPECT_TRUE(status.error().isFatal());
    EXPECT_EQ(file.transformed.transformedName, "a");
}

TEST(TransformableFactoryTest, TextActionsWriteOnlyTheirScope) {
    std::map<TransformScope, TransformerProperties> by;
    by[TransformScope::path] = properties(R"({"prefixText":"My","prefixFindText":"Photos","suffixText":"/sub",
        "insertText":"/2024","insertPosition":"end","insertOffset":0,"setText":"/srv/photos",
        "simpleFindText":"Photos","simpleReplaceText":"Pictures"})");
    by[TransformScope::ext] = properties(R"({"prefixText":"x","suffixText":".bak","insertText":"e",
        "insertPosition":"start","insertOffset":2,"setText":"png","simpleFindText":"jpg","simpleReplaceText":"jpeg"})");
    by[TransformScope::fullPath] = properties(R"({"prefixText":"2024/","prefixFindText":"IMG","suffixText":"/2024",
        "suffixFindText":"Photos","insertText":"Archive/","insertPosition":"start","insertOffset":0,
        "insertFindText":"IMG","setText":"/srv/new/name.txt"})");

    const std::tuple<const char*, TransformScope, const char*> rows[] = {
        {"prefix", TransformScope::path, "/home/me/MyPhotos|IMG_0042|jpg"},
        {"suffix", TransformScope::path, "/home/me/Photos/sub|IMG_0042|jpg"},
        {"insert", TransformScope::path, "/home/me/Photos/2024|IMG_0042|jpg"},
        {"set", TransformScope::path, "/srv/photos|IMG_0042|jpg"},
        {"simple", TransformScope::path, "/home/me/Pictures|IMG_0042|jpg"},
        {"prefix", TransformScope::ext, "/home/me/Photos|IMG_0042|xjpg"},
        {"suffix", TransformScope::ext, "/home/me/Photos|IMG_0042|jpg.bak"},
        {"insert", TransformScope::ext, "/home/me/Photos|IMG_0042|jpeg"},
        {"set", TransformScope::ext, "/home/me/Photos|IMG_0042|png"},
        {"simple", TransformScope::ext, "/home/me/Photos|IMG_0042|jpeg"},
        // A separator written into the full path moves the file; the name and extension stay whole.
        {"prefix", TransformScope::fullPath, "/home/me/Photos/2024|IMG_0042|jpg"},
        {"suffix", TransformScope::fullPath, "/home/me/Photos/2024|IMG_0042|jpg"},
        {"insert", TransformScope::fullPath, "/home/me/Photos/Archive|IMG_0042|jpg"},
        {"set", TransformScope::fullPath, "/srv/new|name|txt"},
    };
    for (const auto& [type, scope, expected] : rows) {
        const auto kind = makeTransformable(Transformer{type});
        test::StubTokenResolver resolver;
        File file = File::fromPath("/home/me/Photos/IMG_0042.jpg");
        EXPECT_TRUE(kind->transformWith(by[scope], scope, file, 0, resolver, {}).ok());
        const FileTransform& t = file.transformed;
        EXPECT_EQ(t.transformedPath + "|" + t.transformedName + "|" + t.transformedExt, expected)
            << type << " " << rawValue(scope);
    }
}

} // namespace
} // namespace quillory
