// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

// Every test runs in a fixed locale and time zone so that dates and collation are reproducible.
int main(int argc, char** argv) {
    setenv("TZ", "UTC", 1);
    setenv("LANG", "en_US.UTF-8", 1);
    // The worker of this build, also for the programs the tests start.
    setenv("QUILLORY_METADATA_WORKER", QUILLORY_METADATA_WORKER_BINARY, 1);
    tzset();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
