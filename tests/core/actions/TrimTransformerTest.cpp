// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/PathPieces.h"
#include "actions/TrimTransformer.h"

#include "TableTokenResolver.h"

#include <gtest/gtest.h>

using namespace quillory;

namespace {

struct Trim {
    std::string position = "start";
    std::string count = "1";
    int offset = 0;
    std::string match = "trimany";
    std::string characters = "";
    bool spaces = false;

    TransformerProperties properties() const {
        TransformerProperties p;
        p.trimPosition = position;
        p.trimCount = count;
        p.trimOffset = offset;
        p.trimMatch = match;
        p.trimCharacters = characters;
        p.trimLeadingTrailingSpaces = spaces;
        return p;
    }
    std::string operator()(std::string_view text) const { return TrimTransformer::trimText(text, properties()); }
};

File transformed(const TransformerProperties& properties, TransformScope scope, const std::string& path) {
    File file = File::fromPath(path);
    file.resetTransform();
    TrimTransformer transformer;
    test::TableTokenResolver resolver;
    EXPECT_TRUE(transformer.transformWith(properties, scope, file, 0, resolver, {}).ok());
    return file;
}

TEST(TrimTransformerTest, TrimsAtStartEndAndAround) {
    EXPECT_EQ((Trim{.position = "start", .count = "3"})("abcdef"), "def");
    EXPECT_EQ((Trim{.position = "end", .count = "3"})("abcdef"), "abc");
    EXPECT_EQ((Trim{.position = "around", .count = "3"})("abcdef"), "");
    EXPECT_EQ((Trim{.position = "around", .count = "3"})("abcdefgh"), "de");
    EXPECT_EQ((Trim{.position = "unknown", .count = "1"})("abc"), "b");
    EXPECT_EQ((Trim{.count = "0"})("abc"), "abc");
    EXPECT_EQ((Trim{.count = "99"})("abc"), "");
    // Beyond what a pattern can count: still all of it.
    EXPECT_EQ((Trim{.count = "16777216"})("abc"), "");
    EXPECT_EQ((Trim{.position = "end", .count = "9223372036854775807"})("abc"), "");
}

TEST(TrimTransformerTest, OffsetsSkipCharactersFromEitherEnd) {
    EXPECT_EQ((Trim{.position = "start", .count = "2", .offset = 2})("abcdef"), "abef");
    EXPECT_EQ((Trim{.position = "end", .count = "2", .offset = -1})("abcdef"), "abcf");
    EXPECT_EQ((Trim{.position = "around", .count = "2", .offset = 1})("abcdefgh"), "adef");
    EXPECT_EQ((Trim{.position = "around", .count = "2", .offset = -1})("abcdefgh"), "cdeh");
    // An offset only counts from the end its position trims.
    EXPECT_EQ((Trim{.position = "start", .count = "2", .offset = -2})("abcdef"), "cdef");
    EXPECT_EQ((Trim{.position = "end", .count = "2", .offset = 2})("abcdef"), "abcd");
    // Too few characters to skip: nothing matches, nothing is trimmed.
    EXPECT_EQ((Trim{.position = "start", .count = "2", .offset = 9})("abc"), "abc");
}

TEST(TrimTransformerTest, KeepModes) {
    EXPECT_EQ((Trim{.position = "start", .count = "4", .match = "keepany"})("IMG_1234"), "IMG_");
    EXPECT_EQ((Trim{.position = "end", .count = "4", .match = "keepany"})("IMG_1234"), "1234");
    EXPECT_EQ((Trim{.position = "around", .count = "2", .match = "keepany"})("abcdef"), "abef");
    EXPECT_EQ((Trim{.position = "start", .count = "2", .offset = 1, .match = "keepany"})("abcdef"), "bc");
    EXPECT_EQ((Trim{.position = "end", .count = "2", .offset = -1, .match = "keepany"})("abcdef"), "de");
    EXPECT_EQ((Trim{.position = "start", .count = "9", .match = "keepanyof", .characters = "0123456789"})("2024_x"),
              "2024");
    EXPECT_EQ((Trim{.position = "end", .count = "9", .match = "keepanyexcept", .characters = "_"})("a_b_cd"), "cd");
    EXPECT_EQ((Trim{.position = "around", .match = "keepanyexcept", .characters = "x"})("xbcd"), "d");
}

TEST(TrimTransformerTest, CharacterSets) {
    EXPECT_EQ((Trim{.count = "99", .match = "trimanyof", .characters = "_-"})("__-photo"), "photo");
    EXPECT_EQ((Trim{.position = "end", .count = "99", .match = "trimanyexcept", .characters = "."})("a.b.cde"),
              "a.b.");
    // Class syntax in the set is taken literally.
    EXPECT_EQ((Trim{.position = "around", .count = "9", .match = "trimanyof", .characters = "[]^\\"})("[^x\\]"),
              "x");
    EXPECT_EQ((Trim{.count = "9", .match = "trimanyof", .characters = "a-c"})("-ab"), "b");
    EXPECT_EQ((Trim{.count = "9", .match = "trimanyof", .characters = "&&x"})("&x&y"), "y");
    EXPECT_EQ((Trim{.count = "2", .match = "trimanyof"})("abc"), "abc");
    EXPECT_EQ((Trim{.count = "2", .match = "trimanyexcept"})("abc"), "c");
    EXPECT_EQ((Trim{.position = "around", .count = "1", .match = "keepanyof"})("abc"), "");
}

TEST(TrimTransformerTest, CountsWholeCharacters) {
    EXPECT_EQ((Trim{.count = "1"})("e\u0301lan"), "lan");
    EXPECT_EQ((Trim{.position = "end", .count = "1"})("cafe\u0301"), "caf");
    EXPECT_EQ((Trim{.position = "end", .count = "2", .match = "keepany"})("cafe\u0301"), "fe\u0301");
    // A set names a character by its first code point: "e" also takes "é".
    EXPECT_EQ((Trim{.count = "9", .match = "trimanyof", .characters = "e"})("e\u0301ex"), "x");
    EXPECT_EQ((Trim{.count = "1"})("\U0001F469\u200D\U0001F4BBok"), "ok");
}

TEST(TrimTransformerTest, PathComponentsAreTrimmedOneByOne) {
    const auto fullPath = [](const Trim& trim) {
        return transformed(trim.properties(), TransformScope::fullPath, "/dir/name.ext").transformed.fullPath();
    };
    EXPECT_EQ(fullPath({.position = "starteach"}), "/ir/ame.xt");
    EXPECT_EQ(fullPath({.position = "endeach"}), "/di/nam.ex");
    EXPECT_EQ(fullPath({.position = "aroundeach"}), "/i/am.x");
    EXPECT_EQ(fullPath({.position = "starteach", .offset = 1}), "/dr/nme.et");
    EXPECT_EQ(fullPath({.position = "endeach", .offset = -1}), "/dr/nae.et");
    EXPECT_EQ(fullPath({.position = "aroundeach", .count = "2", .match = "keepany"}), "/dir/name.ext");
}

TEST(TrimTransformerTest, PathPiecesKeepEverySeparator) {
    EXPECT_EQ(splitPathPieces(u"a//b"), (std::vector<std::u16string>{u"a", u"/", u"/", u"b"}));
    EXPECT_EQ(splitPathPieces(u"/x.tar.gz"),
              (std::vector<std::u16string>{u"/", u"x", u".", u"tar", u".", u"gz"}));
    EXPECT_TRUE(splitPathPieces(u"").empty());
}

TEST(TrimTransformerTest, CompatibilityFormsComeOutDecomposed) {
    EXPECT_EQ((Trim{.count = "0"})("\uFB01le"), "file");
    File file = transformed((Trim{.count = "0"}).properties(), TransformScope::filename, "/d/\uFB01le.txt");
    EXPECT_EQ(file.transformed.transformedName, "file");
    // A precomposed name stays precomposed after the trim.
    file = transformed((Trim{.count = "1"}).properties(), TransformScope::filename, "/d/x\u00e9t\u00e9.txt");
    EXPECT_EQ(file.transformed.transformedName, "\u00e9t\u00e9");
}

TEST(TrimTransformerTest, SpaceTrimming) {
    EXPECT_EQ((Trim{.count = "0", .spaces = true})("  a b  "), "a b");
    EXPECT_EQ((Trim{.count = "0", .spaces = true})("\t a \t"), "\t a \t");
    EXPECT_EQ((Trim{.count = "0", .spaces = true})("   "), "");
    EXPECT_EQ((Trim{.position = "starteach", .count = "0", .spaces = true})("a / b . c"), "a/b.c");
}

TEST(TrimTransformerTest, AnInvalidCountOnlyDecomposes) {
    EXPECT_EQ((Trim{.count = "-1"})("\uFB01x"), "fix");
    EXPECT_EQ((Trim{.count = "-1", .spaces = true})(" ab "), "ab");
    EXPECT_EQ((Trim{.count = "abc"})("xyz"), "yz"); // unparsable: the default count of one
}

TEST(TrimTransformerTest, TrimsEachFindMatch) {
    TransformerProperties properties = Trim{.count = "1"}.properties();
    properties.trimFindText = "[0-9]+";
    properties.trimFindRegex = true;
    EXPECT_EQ(transformed(properties, TransformScope::filename, "/d/a123b456").transformed.transformedName, "a23b56");
    properties.trimFindFirst = true;
    EXPECT_EQ(transformed(properties, TransformScope::filename, "/d/a123b456").transformed.transformedName, "a23b456");

    // With find-first and no occurrence the whole text is trimmed; without find-first nothing is.
    properties.trimFindText = "(x)";
    properties.trimFindRegex = false;
    EXPECT_EQ(transformed(properties, TransformScope::filename, "/d/abc").transformed.transformedName, "bc");
    properties.trimFindFirst = false;
    EXPECT_EQ(transformed(properties, TransformScope::filename, "/d/abc").transformed.transformedName, "abc");

    // The find is accent-insensitive and case-insensitive on request.
    properties.trimFindText = "E";
    properties.trimFindCaseInsensitive = true;
    properties.trimCount = "1";
    properties.trimMatch = "trimany";
    EXPECT_EQ(transformed(properties, TransformScope::filename, "/d/t\u00e9a").transformed.transformedName, "ta");
}

} // namespace
