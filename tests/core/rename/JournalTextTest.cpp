// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/JournalText.h"

#include <gtest/gtest.h>

#include <string>

namespace quillory::journaltext {
namespace {

bool needsEscape(unsigned char c) { return c <= 0x20 || c == 0x7f || c == '%'; }

// Every byte value at every place of a name long enough to span several eight-byte words: the escaped
// field holds no blank or control byte, keeps every other byte as it was, and reads back byte-exact.
TEST(JournalTextTest, EveryByteAtEveryPlaceIsEscapedOnlyWhereNeededAndReadsBack) {
    for (int value = 0; value < 256; ++value) {
        const auto c = static_cast<unsigned char>(value);
        for (std::size_t length : {1u, 7u, 8u, 9u, 17u, 24u}) {
            for (std::size_t at = 0; at < length; ++at) {
                std::string name(length, 'a');
                name[at] = static_cast<char>(c);
                std::string field = "x ";
                appendEscaped(field, name);
                const std::string escaped = field.substr(2);
                const std::string expected = needsEscape(c) ? name.substr(0, at) + '%' +
                                                                  "0123456789ABCDEF"[c >> 4] +
                                                                  "0123456789ABCDEF"[c & 15] + name.substr(at + 1)
                                                            : name;
                ASSERT_EQ(escaped, expected) << "byte " << value << " at " << at << " of " << length;
                const auto back = unescape(escaped);
                ASSERT_TRUE(back.has_value());
                ASSERT_EQ(*back, name) << "byte " << value << " at " << at << " of " << length;
            }
        }
    }
}

TEST(JournalTextTest, NamesWithManyEscapesAndUtf8ReadBack) {
    const std::string name = "%% caf\xC3\xA9\t\x7f\n/\x80\xFF end %";
    std::string field;
    appendEscaped(field, name);
    EXPECT_EQ(field, "%25%25%20caf\xC3\xA9%09%7F%0A/\x80\xFF%20end%20%25");
    EXPECT_EQ(unescape(field), name);
    EXPECT_EQ(fields("a " + field + " b").size(), 3u);
}

} // namespace
} // namespace quillory::journaltext
