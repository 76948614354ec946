// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Logger.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

// The GUI tests need a QApplication; they run without a display on the offscreen platform, in a fixed
// locale, time zone and style, with the log kept out of the test output.
int main(int argc, char** argv) {
    setenv("TZ", "UTC", 1);
    setenv("LANG", "en_US.UTF-8", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QUILLORY_METADATA_WORKER", QUILLORY_METADATA_WORKER_BINARY, 1);
    tzset();
    // QUILLORY_TEST_LOG=1 keeps the log on standard error for a failing run.
    const char* log = std::getenv("QUILLORY_TEST_LOG");
    quillory::Logger::setSink(log && *log == '1' ? quillory::LogSink::standardError : quillory::LogSink::off);
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
