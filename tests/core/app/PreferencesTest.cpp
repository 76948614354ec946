// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppNotification.h"
#include "app/MainQueue.h"
#include "app/NotificationCenter.h"
#include "app/Preferences.h"

#include "TempDir.h"

#include <gtest/gtest.h>

using namespace quillory;

namespace {

struct PreferencesTest : ::testing::Test {
    test::TempDir dir;
    std::filesystem::path file() const { return dir.path() / "quillory" / "settings.json"; }
    // Where a settings file that cannot be read is kept aside.
    std::filesystem::path aside(const char* suffix = ".bad") const { return file() += suffix; }
};

TEST_F(PreferencesTest, FreshStoreHasTheRegisteredDefaults) {
    Preferences preferences(file());
    preferences.registerDefaults();
    EXPECT_TRUE(preferences.boolValue(PreferenceKey::autoResolveDuplicates));
    EXPECT_TRUE(preferences.boolValue(PreferenceKey::renameEmptyFolders));
    EXPECT_TRUE(preferences.boolValue(PreferenceKey::gpsAddressLookup));
    EXPECT_TRUE(preferences.boolValue(PreferenceKey::versionCheckOnStartup));
    EXPECT_FALSE(preferences.boolValue(PreferenceKey::renameAliases));
    EXPECT_FALSE(preferences.boolValue(PreferenceKey::autoIgnoreFilePermissionErrors));
    EXPECT_FALSE(preferences.boolValue(PreferenceKey::openMostRecentRecipeOnStartup));
    EXPECT_TRUE(preferences.strings(PreferenceKey::customDirectories).empty());
    EXPECT_EQ(preferences.string(PreferenceKey::gpsGeocoder), "offline");
    // Defaults are never written to disk.
    EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(PreferencesTest, ValuesSurviveAReloadAndNoTemporaryFileIsLeft) {
    {
        Preferences preferences(file());
        preferences.set(PreferenceKey::renameAliases, true);
        preferences.set(PreferenceKey::customDirectories, std::vector<std::string>{"/data/a", "/data/b"});
        preferences.setValue(PreferenceKey("autoResolveDuplicates"), false);
    }
    Preferences reloaded(file());
    reloaded.registerDefaults();
    EXPECT_TRUE(reloaded.boolValue(PreferenceKey::renameAliases));
    EXPECT_FALSE(reloaded.boolValue(PreferenceKey::autoResolveDuplicates));
    EXPECT_EQ(reloaded.strings(PreferenceKey::customDirectories), (std::vector<std::string>{"/data/a", "/data/b"}));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(file().parent_path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(PreferencesTest, CorruptFileIsKeptAsideAndDefaultsAreUsed) {
    dir.write("quillory/settings.json", "{\"com.halvane.quillory.renameAliases\": tru");
    Preferences preferences(file());
    preferences.registerDefaults();
    EXPECT_FALSE(preferences.boolValue(PreferenceKey::renameAliases));
    EXPECT_TRUE(preferences.boolValue(PreferenceKey::autoResolveDuplicates));
    ASSERT_TRUE(std::filesystem::exists(aside()));
    EXPECT_EQ(test::readFile(aside()), "{\"com.halvane.quillory.renameAliases\": tru");
    // The next write creates a fresh file and leaves the broken one alone.
    preferences.set(PreferenceKey::renameAliases, true);
    EXPECT_EQ(test::readFile(aside()), "{\"com.halvane.quillory.renameAliases\": tru");
    EXPECT_TRUE(Preferences(file()).boolValue(PreferenceKey::renameAliases));
}

TEST_F(PreferencesTest, AJsonValueThatIsNotAnObjectCountsAsCorruptAndEarlierBrokenFilesStay) {
    dir.write("quillory/settings.json", "[1, 2]");
    { Preferences preferences(file()); }
    EXPECT_EQ(test::readFile(aside()), "[1, 2]");
    dir.write("quillory/settings.json", "oops");
    { Preferences preferences(file()); }
    EXPECT_EQ(test::readFile(aside()), "[1, 2]");
    EXPECT_EQ(test::readFile(aside(".bad.2")), "oops");
}

TEST_F(PreferencesTest, SettingsThatCannotBeReadAreNeverWrittenOver) {
    // A folder in place of the file cannot be read as one, whoever runs the test.
    std::filesystem::create_directories(file());
    Preferences preferences(file());
    preferences.set(PreferenceKey::renameAliases, true);
    EXPECT_TRUE(preferences.boolValue(PreferenceKey::renameAliases));
    EXPECT_TRUE(std::filesystem::is_directory(file()));
    EXPECT_FALSE(std::filesystem::exists(aside()));
}

TEST_F(PreferencesTest, SettingABooleanOrListPostsApplyChanges) {
    MainQueue queue;
    NotificationCenter center(queue);
    int applied = 0;
    center.addObserver(AppNotification::applyChanges, [&](const Notification&) { ++applied; });
    Preferences preferences(file(), &center);
    preferences.set(PreferenceKey::renameAliases, true);
    preferences.set(PreferenceKey::customDirectories, std::vector<std::string>{"/x"});
    preferences.setValue(PreferenceKey::gpsCache, nlohmann::json::object());
    EXPECT_EQ(applied, 0) << "delivery happens on the main queue, not inside set()";
    queue.runPending();
    EXPECT_EQ(applied, 2);
}

TEST_F(PreferencesTest, TransientOverridesWinButAreNotStored) {
    Preferences preferences(file());
    preferences.registerDefaults();
    preferences.setTransient(PreferenceKey::autoResolveDuplicates, false);
    EXPECT_FALSE(preferences.boolValue(PreferenceKey::autoResolveDuplicates));
    preferences.set(PreferenceKey::renameAliases, true);
    Preferences reloaded(file());
    reloaded.registerDefaults();
    EXPECT_TRUE(reloaded.boolValue(PreferenceKey::autoResolveDuplicates));
}

TEST(PreferenceKeyTest, ShortNamesGetThePrefixOnce) {
    EXPECT_EQ(PreferenceKey("renameAliases").str(), "com.halvane.quillory.renameAliases");
    EXPECT_EQ(PreferenceKey("com.halvane.quillory.renameAliases"), PreferenceKey::renameAliases);
    EXPECT_EQ(PreferenceKey::gpsCache.shortName(), "gpsCache");
}

TEST(WriteFileAtomicallyTest, ReplacesContentAndKeepsMode) {
    test::TempDir dir;
    const auto target = dir.write("recipe.json", "old");
    std::filesystem::permissions(target, std::filesystem::perms(0640));
    ASSERT_TRUE(writeFileAtomically(target, "new content"));
    EXPECT_EQ(test::readFile(target), "new content");
    EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0640));
    // A parent that is a regular file: the write fails with a reason and the old file is untouched.
    std::string error;
    EXPECT_FALSE(writeFileAtomically(target / "inner.json", "y", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(test::readFile(target), "new content");
}

// Two processes (here two stores on one file) each change their own keys: neither loses the other's.
TEST_F(PreferencesTest, TwoStoresOnOneFileKeepEachOthersKeys) {
    Preferences first(file());
    Preferences second(file());
    first.setValue(PreferenceKey::renameAliases, true);
    second.setValue(PreferenceKey::gpsGeocoder, "online");
    first.setValue(PreferenceKey::customDirectories, nlohmann::json::array({"/srv/a"}));
    second.remove(PreferenceKey::renameAliases);

    const Preferences reread(file());
    EXPECT_FALSE(reread.contains(PreferenceKey::renameAliases));
    EXPECT_EQ(reread.string(PreferenceKey::gpsGeocoder), "online");
    EXPECT_EQ(reread.strings(PreferenceKey::customDirectories), std::vector<std::string>{"/srv/a"});
}

} // namespace
