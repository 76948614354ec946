// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Logger.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

class LogRotationTest : public ::testing::Test {
protected:
    void TearDown() override {
        Logger::setSink(LogSink::standardStreams);
        Logger::setRotation(Logger::defaultRotationBytes, Logger::defaultRotationFiles);
    }
    test::TempDir dir;
};

TEST_F(LogRotationTest, TheFileRotatesKeepingAFixedNumberOfOlderFiles) {
    const auto log = dir.path() / "state" / "quillory-cli.log";
    Logger::setRotation(1000, 3);
    Logger::setSink(LogSink::file, log);
    const std::string filler(70, 'x'); // about 100 bytes a line with the time stamp
    for (int i = 0; i < 100; ++i)
        Logger::log("line ", i, " ", filler);
    Logger::setSink(LogSink::off);

    for (const char* name : {"quillory-cli.log", "quillory-cli.log.1", "quillory-cli.log.2", "quillory-cli.log.3"}) {
        const auto path = dir.path() / "state" / name;
        ASSERT_TRUE(std::filesystem::exists(path)) << name;
        EXPECT_LE(std::filesystem::file_size(path), 1000u) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "state" / "quillory-cli.log.4"));
    // The newest lines are in the current file, the ones before them in ".1".
    EXPECT_NE(test::readFile(log).find("line 99 "), std::string::npos);
    const std::string previous = test::readFile(dir.path() / "state" / "quillory-cli.log.1");
    EXPECT_EQ(previous.find("line 99 "), std::string::npos);
    EXPECT_NE(previous.find("line 98 "), std::string::npos);
}

TEST_F(LogRotationTest, AFileAlreadyOverTheLimitRotatesOnTheFirstLine) {
    const auto log = dir.write("big.log", std::string(5000, 'o') + "\n");
    Logger::setRotation(1000, 1);
    Logger::setSink(LogSink::file, log);
    Logger::log("fresh");
    Logger::setSink(LogSink::off);
    EXPECT_EQ(std::filesystem::file_size(dir.path() / "big.log.1"), 5001u);
    EXPECT_NE(test::readFile(log).find("fresh"), std::string::npos);
    EXPECT_LT(std::filesystem::file_size(log), 100u);
}

} // namespace
} // namespace quillory
