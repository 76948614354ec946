// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/SimpleTransformer.h"

#include "StubTokenResolver.h"
#include "actions/FindHelpers.h"

#include <gtest/gtest.h>

#include <random>

namespace quillory {
namespace {

using test::applied;
using test::kCafeNfc;
using test::kCafeNfd;

TransformerProperties replace(std::string find, std::string replacement, bool wildcards = false) {
    TransformerProperties p;
    p.simpleFindText = std::move(find);
    p.simpleReplaceText = test::literal(std::move(replacement));
    p.simpleWildcards = wildcards;
    return p;
}

std::string replacedName(const TransformerProperties& p, const File& file) {
    return applied<SimpleTransformer>(p, TransformScope::filename, file).transformed.transformedName;
}

const File kPhoto = File::fromPath("/home/me/Photos/IMG_0042.jpg");

TEST(SimpleTransformerTest, WildcardCapturesGoIntoTheReplacement) {
    EXPECT_EQ(replacedName(replace("IMG_*", "Photo $1", true), kPhoto), "Photo 0042");
    EXPECT_EQ(
        applied<SimpleTransformer>(replace("**", "[$1]", true), TransformScope::ext, kPhoto).transformed.transformedExt,
        "[jpg]");
    // Without wildcards the star is literal.
    EXPECT_EQ(replacedName(replace("IMG_*", "x"), kPhoto), "IMG_0042");
}

TEST(SimpleTransformerTest, SingleStarStaysInOneFolderDoubleStarCrossesFolders) {
    const File single =
        applied<SimpleTransformer>(replace("/*/IMG", "/Archive/IMG", true), TransformScope::fullPath, kPhoto);
    EXPECT_EQ(single.transformed.transformedPath, "/home/me/Archive");
    EXPECT_EQ(single.transformed.transformedName, "IMG_0042");
    EXPECT_EQ(single.transformed.transformedExt, "jpg");

    const File twin =
        applied<SimpleTransformer>(replace("/**/IMG", "/Archive/IMG", true), TransformScope::fullPath, kPhoto);
    EXPECT_EQ(twin.transformed.fullPath(), "/Archive/IMG_0042.jpg");
}

TEST(SimpleTransformerTest, FindFirstCaseInsensitiveAndLiteralMetacharacters) {
    const File banana = File::fromPath("/tmp/BaNaNa (1).txt");
    TransformerProperties p = replace("a", "x");
    EXPECT_EQ(replacedName(p, banana), "BxNxNx (1)");
    p.simpleFindFirst = true;
    EXPECT_EQ(replacedName(p, banana), "BxNaNa (1)");
    p = replace("n", "-");
    EXPECT_EQ(replacedName(p, banana), "BaNaNa (1)");
    p.simpleCaseInsensitive = true;
    EXPECT_EQ(replacedName(p, banana), "Ba-a-a (1)");
    EXPECT_EQ(replacedName(replace(" (1)", ""), banana), "BaNaNa");
}

TEST(SimpleTransformerTest, AccentsOnPrecomposedAndDecomposedNames) {
    for (std::string_view name : {kCafeNfc, kCafeNfd}) {
        const File file = File::fromPath("/tmp/" + std::string(name) + " cafe.txt");
        // An accented find text leaves the plain "e" alone; a plain one takes the accented letter too.
        EXPECT_EQ(replacedName(replace("é", "E"), file), "CafE cafe") << name;
        EXPECT_EQ(replacedName(replace("e", "E"), file), "CafE cafE") << name;
        // A change to a precomposed name comes back precomposed, to a decomposed one decomposed.
        EXPECT_EQ(replacedName(replace("s", "!"), File::fromPath("/tmp/" + std::string(name) + "s.txt")),
                  std::string(name) + "!");
    }
}

TEST(SimpleTransformerTest, NameWithoutMatchKeepsItsBytes) {
    const std::string mixed = std::string(kCafeNfc) + std::string(kCafeNfd);
    const File result = applied<SimpleTransformer>(replace("zzz", "y"), TransformScope::filename,
                                                   File::fromPath("/tmp/" + mixed + ".txt"));
    EXPECT_EQ(result.transformed.transformedName, mixed);
    EXPECT_FALSE(result.isRenameRequired());
    // Bytes that are not UTF-8 survive a change.
    EXPECT_EQ(replacedName(replace("b", "c"), File::fromPath("/tmp/a\xFF b.txt")), "a\xFF c");
}

TEST(SimpleTransformerTest, EmptyFindTextResolvesNothing) {
    TransformerProperties p;
    p.simpleReplaceText = test::withAttribute("x", "exifDate");
    File file = kPhoto;
    test::StubTokenResolver resolver;
    SimpleTransformer action;
    EXPECT_TRUE(action.transformWith(p, TransformScope::filename, file, 0, resolver, {}).ok());
    p.simpleFindText = "";
    EXPECT_TRUE(action.transformWith(p, TransformScope::filename, file, 0, resolver, {}).ok());
    EXPECT_EQ(resolver.calls, 0);
    EXPECT_EQ(file.transformed, kPhoto.transformed);
}

// Plain ASCII names take a byte search instead of the pattern engine; both must give the same names,
// whatever letter case, metacharacters and overlapping repeats the texts hold.
TEST(SimpleTransformerTest, AsciiNamesGetWhatThePatternEngineWouldGive) {
    std::mt19937 random(7);
    const std::string alphabet = "aAbB.*( )[-_1";
    const auto text = [&](std::size_t most) {
        std::string out;
        for (std::size_t n = random() % most + 1; n > 0; --n)
            out += alphabet[random() % alphabet.size()];
        return out;
    };
    for (int round = 0; round < 2000; ++round) {
        const std::string name = text(12);
        const std::string find = text(3);
        const std::string replacement = random() % 4 == 0 ? std::string() : text(3);
        const bool caseInsensitive = random() % 2 == 0;
        const bool findFirst = random() % 3 == 0;
        TransformerProperties p = replace(find, replacement);
        p.simpleCaseInsensitive = caseInsensitive;
        p.simpleFindFirst = findFirst;
        const File file = File::fromPath("/tmp/" + name + ".txt");
        const std::string expected =
            replaceMatches(file.source.name, literalPattern(find), replacement, caseInsensitive, findFirst);
        EXPECT_EQ(replacedName(p, file), expected)
            << "name \"" << name << "\", find \"" << find << "\", replacement \"" << replacement << "\"";
    }
}

} // namespace
} // namespace quillory
