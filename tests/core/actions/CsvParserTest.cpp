// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/CsvParser.h"
#include "actions/LookupTableImport.h"

#include "TempDir.h"

#include <gtest/gtest.h>

using namespace quillory;

namespace {

using Fields = std::vector<std::string>;

TEST(CsvParserTest, SplitsAtSemicolonsOutsideQuotes) {
    const CsvParser parser;
    EXPECT_EQ(parser.fields("a;b"), (Fields{"a", "b"}));
    EXPECT_EQ(parser.fields("\"x;y\";z"), (Fields{"x;y", "z"}));
    EXPECT_EQ(parser.fields("\"say \"\"hi\"\"\";b"), (Fields{"say \"hi\"", "b"}));
    EXPECT_EQ(parser.fields(";b"), (Fields{"", "b"}));
    EXPECT_EQ(parser.fields("café;ü"), (Fields{"café", "ü"}));
    // Later quoted fields follow the same rules.
    EXPECT_EQ(parser.fields("\"a\";\"b\""), (Fields{"a", "b"}));
    EXPECT_EQ(parser.fields("a;\"b;c\";\"d\"\"e\""), (Fields{"a", "b;c", "d\"e"}));
    EXPECT_EQ(parser.fields("\"a\"\"\";\"\"\"b\""), (Fields{"a\"", "\"b"}));
    // Empty trailing fields are not reported; an unterminated quote runs to the end of the line.
    EXPECT_EQ(parser.fields("a;"), (Fields{"a"}));
    EXPECT_EQ(parser.fields(""), Fields{});
    EXPECT_EQ(parser.fields("\"\""), Fields{});
    EXPECT_EQ(parser.fields("\"a;b"), (Fields{"a;b"}));
}

TEST(LookupTableImportTest, ReadsAUtf8FileWithOrWithoutByteOrderMark) {
    test::TempDir dir;
    const auto plain = dir.write("plain.csv", "ä;ae\r\nß;ss\r\n");
    const auto marked = dir.write("marked.csv", "\xEF\xBB\xBF" "ä;ae\n");
    auto rows = importLookupFile(plain);
    ASSERT_TRUE(rows.ok());
    EXPECT_EQ(*rows, (std::vector<LookupTableRow>{{"ä", "ae"}, {"ß", "ss"}}));
    rows = importLookupFile(marked);
    ASSERT_TRUE(rows.ok());
    EXPECT_EQ(*rows, (std::vector<LookupTableRow>{{"ä", "ae"}}));
}

TEST(LookupTableImportTest, AMissingFileIsAnError) {
    test::TempDir dir;
    const auto rows = importLookupFile(dir.path() / "missing.csv");
    ASSERT_FALSE(rows.ok());
    EXPECT_NE(rows.error().message.find("missing.csv"), std::string::npos);
}

TEST(LookupTableRowTest, StoredPairs) {
    EXPECT_EQ((LookupTableRow{"f", "r"}).toPair(), (std::vector<std::string>{"f", "r"}));
    EXPECT_EQ(LookupTableRow::fromPair({"f", "r", "extra"}), (LookupTableRow{"f", "r"}));
    EXPECT_FALSE(LookupTableRow::fromPair({"only"}).has_value());
}

TEST(LookupTableImportTest, ReportsTheLinesItSkipsWithTheirNumbersAndReasons) {
    const auto imported = lookupImportFromText("a;b\r\nsingle\r\n\r\n;empty find\n   \n\"x;y\";z;ignored\rc;d\n\n");
    EXPECT_EQ(imported.rows, (std::vector<LookupTableRow>{{"a", "b"}, {"x;y", "z"}, {"c", "d"}}));
    // Blank lines are not worth a report; a CR LF pair ends one line, so does a lone CR.
    EXPECT_EQ(imported.skipped,
              (std::vector<LookupImport::SkippedLine>{{2, "single", std::string(lookupLineWithOneField)},
                                                      {4, ";empty find", std::string(lookupLineWithEmptyFind)}}));
}

TEST(LookupTableExportTest, TextImportsAsTheSameRows) {
    const std::vector<LookupTableRow> rows = {
        {"a", "b"},           {"x;y", "z"},         {"say \"hi\"", "\"quoted\""}, {"(\\d+)", "#$1"},
        {"gone", ""},         {" lead", "trail "},  {"ü", "ue"},                   {"\"", ";"},
    };
    const std::string text = lookupTableText(rows);
    EXPECT_EQ(lookupRowsFromText(text), rows) << text;
    EXPECT_TRUE(lookupImportFromText(text).skipped.empty());
}

TEST(LookupTableExportTest, LeavesOutRowsThatNoLineCanCarry) {
    std::vector<std::size_t> leftOut;
    const std::string text = lookupTableText({{"", "x"}, {"a", "b"}, {"line\nbreak", "c"}, {"d", "e\rf"}}, &leftOut);
    EXPECT_EQ(leftOut, (std::vector<std::size_t>{0, 2, 3}));
    EXPECT_EQ(lookupRowsFromText(text), (std::vector<LookupTableRow>{{"a", "b"}}));
}

} // namespace
