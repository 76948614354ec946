// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Utf.h"

#include <gtest/gtest.h>
#include <unicode/ustring.h>

#include <optional>
#include <random>
#include <string>

using namespace quillory::text;

namespace {

// ICU's strict conversion, the reference for well-formed text; std::nullopt for ill-formed input.
std::optional<std::u16string> icuUtf16(std::string_view utf8) {
    std::u16string out(utf8.size() + 1, u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(out.data(), static_cast<int32_t>(out.size()), &length, utf8.data(), static_cast<int32_t>(utf8.size()),
                  &status);
    if (U_FAILURE(status))
        return std::nullopt;
    out.resize(static_cast<std::size_t>(length));
    return out;
}

} // namespace

TEST(Utf, InvalidBytesSurviveRoundTripByteForByte) {
    const std::string names[] = {
        "caf\xE9.txt",              // Latin-1 name
        "\xFF\xFE",                 // bytes that never occur in UTF-8
        "ab\xE2\x82",               // truncated 3-byte sequence at the end
        "\xE2\x82x",                // truncated 3-byte sequence before ASCII
        "\xC0\xAF",                 // overlong "/"
        "\xE0\x80\xAF",             // overlong 3-byte
        "\xED\xA0\x80",             // encoded high surrogate
        "\xED\xB2\x80",             // encoded escape surrogate U+DC80 itself
        "\xF4\x90\x80\x80",         // past U+10FFFF
        "\xF5\x80",                 // lead byte > 0xF4
        "\x80\xBF",                 // stray continuation bytes
        "ok \xF0\x9F\x98\x80 \xE9", // valid emoji beside an invalid byte
        std::string("nul\0byte", 8),
    };
    for (const std::string &name : names) {
        const std::u16string utf16 = toUtf16(name);
        EXPECT_EQ(toUtf8(utf16), name) << "name of " << name.size() << " bytes";
        EXPECT_EQ(isValidUtf8(name), icuUtf16(name).has_value()) << "name of " << name.size() << " bytes";
    }
    // Each invalid byte is its own escape, so neighbouring text is untouched.
    EXPECT_EQ(toUtf16("caf\xE9.txt"), std::u16string(u"caf\xDCE9.txt"));
    EXPECT_EQ(toUtf16("\xC0\xAF"), std::u16string(u"\xDCC0\xDCAF"));
    EXPECT_EQ(toUtf16("ab\xE2\x82"), std::u16string(u"ab\xDCE2\xDC82"));
}

TEST(Utf, ValidTextConvertsLikeIcu) {
    const std::string samples[] = {
        "",
        "plain ascii name, longer than eight bytes.txt",
        "caf\xC3\xA9",
        "\xE2\x82\xAC 100",
        "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD",
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.jpg",
        "\xEF\xBF\xBF\xF4\x8F\xBF\xBF\xC2\x80", // U+FFFF, U+10FFFF, U+0080: the edges
    };
    for (const std::string &s : samples) {
        const auto reference = icuUtf16(s);
        ASSERT_TRUE(reference.has_value());
        EXPECT_EQ(toUtf16(s), *reference);
        EXPECT_EQ(toUtf8(*reference), s);
        EXPECT_TRUE(isValidUtf8(s));
    }
}

TEST(Utf, RandomBytesRoundTripAndAgreeWithIcuOnValidity) {
    std::mt19937 random(42);
    // Bias towards bytes that start or continue multi-byte sequences.
    const unsigned char alphabet[] = {'a',  'Z',  '.',  0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0,
                                      0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
    for (int round = 0; round < 20000; ++round) {
        std::string bytes;
        const int length = static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i)
            bytes.push_back(static_cast<char>(alphabet[random() % sizeof alphabet]));
        const std::u16string utf16 = toUtf16(bytes);
        ASSERT_EQ(toUtf8(utf16), bytes);
        const auto reference = icuUtf16(bytes);
        ASSERT_EQ(isValidUtf8(bytes), reference.has_value());
        if (reference) {
            ASSERT_EQ(utf16, *reference);
        }
    }
}

TEST(Utf, LoneSurrogatesOtherThanEscapesUseThreeByteForm) {
    // Not valid UTF-8, but the bytes are kept and read back as escapes.
    const std::string high = toUtf8(std::u16string{u'a', char16_t(0xD83D), u'b'});
    EXPECT_EQ(high, std::string("a\xED\xA0\xBD") + "b");
    EXPECT_EQ(toUtf8(toUtf16(high)), high);
    EXPECT_EQ(toUtf8(std::u16string(u"\xDC41")), "\xED\xB1\x81");
}
