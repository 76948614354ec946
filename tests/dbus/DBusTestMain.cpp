// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

// The D-Bus tests need an event loop to serve and to wait for calls; they run on a private bus.
int main(int argc, char** argv) {
    setenv("TZ", "UTC", 1);
    setenv("LANG", "en_US.UTF-8", 1);
    tzset();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
