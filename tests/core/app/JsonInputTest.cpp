// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/JsonInput.h"
#include "app/RegularFile.h"

#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>
#include <sys/stat.h>

namespace quillory {
namespace {

using ::testing::HasSubstr;

std::string nested(std::size_t levels) {
    return std::string(levels, '[') + std::string(levels, ']');
}

TEST(JsonInputTest, DepthCountsOnlyBracketsOutsideStrings) {
    EXPECT_EQ(JsonInput::depth(R"({"a":[1,{"b":[]}]})"), 4u);
    EXPECT_EQ(JsonInput::depth(R"(["[[[[", "\"[[{{", {"k":"]]]"}])"), 2u);
    EXPECT_EQ(JsonInput::depth("42"), 0u);
    // Counting stops soon after the limit, however deep the text goes.
    EXPECT_EQ(JsonInput::depth(std::string(1'000'000, '['), 64), 65u);
}

TEST(JsonInputTest, DeepNestingIsRefusedBeforeAnyValueIsBuilt) {
    EXPECT_TRUE(JsonInput::parse(nested(JsonInput::maxDepth)).ok());
    const auto deep = JsonInput::parse(nested(JsonInput::maxDepth + 1));
    ASSERT_FALSE(deep.ok());
    EXPECT_EQ(deep.error().message, "the JSON text nests deeper than 64 levels");
    // The crashing input: 50,000 open brackets, never closed.
    EXPECT_FALSE(JsonInput::parse<nlohmann::ordered_json>(std::string(50'000, '[')).ok());
    EXPECT_EQ(JsonInput::parse("{\"a\":").error().message, "the text is not valid JSON");
    EXPECT_EQ(JsonInput::parse(R"({"a":"[[["})")->at("a"), "[[[");
}

TEST(RegularFileTest, ReadsARegularFileWhole) {
    test::TempDir dir;
    const auto path = dir.write("table.csv", "a;b\n");
    EXPECT_EQ(RegularFile::read(path).valueOr(""), "a;b\n");
    EXPECT_EQ(RegularFile::read(dir.write("empty.csv")).valueOr("x"), "");
}

TEST(RegularFileTest, RefusesDevicesFifosFoldersAndLargeFilesWithoutBlocking) {
    test::TempDir dir;
    const auto zero = RegularFile::read("/dev/zero");
    ASSERT_FALSE(zero.ok());
    EXPECT_EQ(zero.error().message, "'/dev/zero' is not a regular file");
    EXPECT_THAT(RegularFile::read(dir.path()).error().message, HasSubstr("is not a regular file"));

    const auto fifo = dir.path() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // No writer ever comes: the read must come back on its own.
    auto reading = std::async(std::launch::async, [&] { return RegularFile::read(fifo); });
    ASSERT_EQ(reading.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_THAT(reading.get().error().message, HasSubstr("is not a regular file"));

    const auto big = dir.write("big.recipe", std::string(1025, 'x'));
    EXPECT_EQ(RegularFile::read(big, 1024).error().message, "'" + big.string() + "' is larger than 1024 bytes");
    EXPECT_TRUE(RegularFile::read(big, 1025).ok());
    EXPECT_THAT(RegularFile::read(dir.path() / "missing").error().message, HasSubstr("cannot be read"));
}

} // namespace
} // namespace quillory
