// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileListTestSupport.h"
#include "PresetUserInteraction.h"
#include "app/Preferences.h"
#include "filelist/AllowedDirectoriesTable.h"
#include "filelist/DirectoryValidator.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace quillory;
using quillory::test::TempDir;

namespace {

const char* kMountInfo =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "30 22 0:25 / /proc rw - proc proc rw\n"
    "41 22 8:17 / /media/me/Data rw,nosuid - ext4 /dev/sdb1 rw\n"
    "42 22 8:18 / /media/other/Theirs rw - ext4 /dev/sdb2 rw\n"
    "43 22 8:33 / /run/media/me/USB\\040Stick rw - vfat /dev/sdc1 rw\n"
    "44 22 8:49 / /mnt/backup rw - ext4 /dev/sdd1 rw\n"
    "45 22 8:50 / /mnt/backup/nested rw - ext4 /dev/sdd2 rw\n"
    "46 22 8:17 / /media/me/Data rw - ext4 /dev/sdb1 rw\n"
    "47 22 0:40 / /srv/share rw - nfs srv:/share rw\n";

class DirectoryValidatorTest : public ::testing::Test {
protected:
    DirectoryValidatorTest() : preferences(dir.path() / "settings.json") {
        preferences.registerDefaults();
        home = dir.mkdir("home/me").string();
    }
    DirectoryValidator make() { return DirectoryValidator(DirectoryEnvironment{home, "me", kMountInfo}, &preferences); }

    TempDir dir;
    Preferences preferences;
    std::string home;
};

} // namespace

TEST_F(DirectoryValidatorTest, SupportedAreTheUsersVolumesThenHome) {
    EXPECT_EQ(DirectoryValidator::volumeMountPoints(kMountInfo, "me"),
              (std::vector<std::string>{"/media/me/Data", "/run/media/me/USB Stick", "/mnt/backup"}));
    auto validator = make();
    EXPECT_EQ(validator.supportedDirectories(),
              (std::vector<std::string>{"/media/me/Data/", "/run/media/me/USB Stick/", "/mnt/backup/", home + "/"}));
    EXPECT_TRUE(validator.customDirectories().empty());
}

TEST_F(DirectoryValidatorTest, PrefixTestUsesWholeFolderNames) {
    auto validator = make();
    EXPECT_TRUE(validator.isSupported(home));
    EXPECT_TRUE(validator.isSupported(home + "/Pictures/2021"));
    EXPECT_TRUE(validator.isSupported("/media/me/Data"));
    EXPECT_TRUE(validator.isSupported("/media/me/Data/photos"));
    EXPECT_TRUE(validator.rejectedDirectories().empty());

    EXPECT_FALSE(validator.isSupported("/media/me/DataBackup"));
    EXPECT_FALSE(validator.isSupported(home + "x"));
    EXPECT_FALSE(validator.isSupported("/media/other/Theirs"));
    EXPECT_FALSE(validator.isSupported("/usr/share"));
    EXPECT_FALSE(validator.isSupported("/"));
    std::set<RejectedDirectory> expected = {{"/media/me/DataBackup/", RejectionReason::restrictedPath},
                                            {home + "x/", RejectionReason::restrictedPath},
                                            {"/media/other/Theirs/", RejectionReason::restrictedPath},
                                            {"/usr/share/", RejectionReason::restrictedPath},
                                            {"/", RejectionReason::restrictedPath}};
    EXPECT_EQ(validator.rejectedDirectories(), expected);
}

TEST_F(DirectoryValidatorTest, CustomDirectoriesComeFromPreferencesAndAreStored) {
    preferences.set(PreferenceKey::customDirectories, std::vector<std::string>{"/srv/share"});
    auto validator = make();
    EXPECT_TRUE(validator.isSupported("/srv/share/x"));
    EXPECT_FALSE(validator.isSupported("/srv/shared"));

    validator.setCustomDirectories({"/opt/work", "/"});
    EXPECT_EQ(preferences.strings(PreferenceKey::customDirectories),
              (std::vector<std::string>{"/opt/work", "/"}));
    EXPECT_TRUE(validator.isSupported("/anything/at/all"));

    preferences.setValue(PreferenceKey::customDirectories, nlohmann::json::array({"/a", 3}));
    validator.reload();
    EXPECT_TRUE(validator.customDirectories().empty());
}

TEST_F(DirectoryValidatorTest, WritabilityDistinguishesReasons) {
    auto validator = make();
    EXPECT_TRUE(validator.isWritable(home));
    EXPECT_TRUE(validator.isWritable(fileUrlFromPath(home, true)));
    EXPECT_FALSE(validator.isWritable(home + "/missing folder"));

    auto rejected = validator.rejectedDirectories();
    EXPECT_EQ(rejected, (std::set<RejectedDirectory>{{home + "/missing folder", RejectionReason::error}}));
}

TEST_F(DirectoryValidatorTest, CaseOnlyFolderChangeNeedsARenamedParent) {
    auto validator = make();
    auto messages = validator.validatePath(home + "/2019/photos", home + "/2019/Photos");
    EXPECT_EQ(messages, (std::set<std::string>{"The case change of folder \"Photos\" to \"photos\" cannot be applied "
                                               "unless at least one of its parent folders has a different name."}));
    EXPECT_TRUE(validator.validatePath(home + "/2020/photos", home + "/2019/Photos").empty());
    EXPECT_TRUE(validator.validatePath(home + "/2019/Pictures", home + "/2019/Photos").empty());
}

TEST_F(DirectoryValidatorTest, OutsideAllowedFoldersListsThePrefixes) {
    preferences.set(PreferenceKey::customDirectories, std::vector<std::string>{"/srv/share"});
    auto validator = make();
    auto messages = validator.validatePath("/etc/x", "");
    EXPECT_EQ(messages, (std::set<std::string>{"Path should start with one of the following prefixes: /media/me/Data/, "
                                               "/run/media/me/USB Stick/, /mnt/backup/, " +
                                               home + "/, /srv/share"}));
    // Validation does not count as a refusal of an opened folder.
    EXPECT_TRUE(validator.rejectedDirectories().empty());
}

TEST_F(DirectoryValidatorTest, AllowedDirectoriesTableLocksFixedRowsAndDiscouragesRoot) {
    auto validator = make();
    PresetUserInteraction interaction;
    AllowedDirectoriesTable table(validator, interaction);
    const std::size_t fixed = validator.supportedDirectories().size();
    ASSERT_EQ(table.rows().size(), fixed);
    EXPECT_EQ(table.rows()[0].directoryStatus, "🔒");

    EXPECT_FALSE(table.editRow(0, "/tmp"));
    ASSERT_EQ(interaction.alerts().size(), 1u);
    EXPECT_EQ(interaction.alerts()[0], std::make_pair(std::string("Invalid directory"),
                                                      std::string("Fixed directories cannot be edited")));

    table.addRow();
    ASSERT_EQ(table.rows().size(), fixed + 1);
    EXPECT_EQ(table.rows()[fixed].directoryPath, "/");
    EXPECT_EQ(table.rows()[fixed].directoryStatus, "⚠️");
    EXPECT_EQ(table.message(), "⚠️ Using / is discouraged because it allows any directory. Please change it to "
                               "something more specific.");

    EXPECT_FALSE(table.editRow(fixed, "/srv//share"));
    EXPECT_EQ(interaction.alerts().back().second, "Double slashes \"//\" are not allowed in Path");
    EXPECT_FALSE(table.editRow(fixed, "relative/folder"));
    EXPECT_EQ(table.rows()[fixed].directoryPath, "/");

    EXPECT_TRUE(table.editRow(fixed, "/srv/share"));
    EXPECT_EQ(table.rows()[fixed].directoryStatus, "✓");
    EXPECT_EQ(table.message(), "");
    EXPECT_EQ(preferences.strings(PreferenceKey::customDirectories), (std::vector<std::string>{"/srv/share"}));

    EXPECT_FALSE(table.removeRow(0));
    EXPECT_TRUE(table.removeRow(fixed));
    EXPECT_TRUE(preferences.strings(PreferenceKey::customDirectories).empty());
}

TEST_F(DirectoryValidatorTest, PathsAreJudgedByWhereTheyReallyLead) {
    namespace fs = std::filesystem;
    const fs::path outside = dir.mkdir("outside");
    dir.mkdir("home/me/real");
    fs::create_directory_symlink(outside, fs::path(home) / "out");
    fs::create_directory_symlink(fs::path(home) / "real", fs::path(home) / "in");
    fs::create_directory_symlink(dir.path() / "nowhere", fs::path(home) / "dangling");

    // The existing part resolved, the rest appended as written.
    EXPECT_EQ(DirectoryValidator::resolvedPath(home + "/out/new/deeper"), outside.string() + "/new/deeper");
    EXPECT_EQ(DirectoryValidator::resolvedPath(home + "/in/../real/x"), home + "/real/x");
    EXPECT_EQ(DirectoryValidator::resolvedPath(home + "/new/../x"), std::nullopt) << "\"..\" in folders yet to be made";
    EXPECT_EQ(DirectoryValidator::resolvedPath(home + "/dangling/x"), std::nullopt) << "creating would follow the link";
    EXPECT_EQ(DirectoryValidator::resolvedPath("relative/path"), std::nullopt);

    auto validator = make();
    EXPECT_TRUE(validator.isSupported(home + "/in/new"));
    EXPECT_FALSE(validator.isSupported(home + "/out"));
    EXPECT_FALSE(validator.isSupported(home + "/out/escaped"));
    EXPECT_FALSE(validator.isAllowed(home + "/real/../../../outside"));
    EXPECT_FALSE(validator.isAllowed(home + "/dangling/x"));
    EXPECT_TRUE(validator.isAllowedResolved(home + "/real"));
    EXPECT_FALSE(validator.isAllowedResolved(outside.string()));

    // Both the new path and the file's present folder must be inside.
    const std::string outsideMessage = "Path should start with one of the following prefixes: ";
    const auto starts = [&](const std::set<std::string>& messages) {
        return messages.size() == 1 && messages.begin()->rfind(outsideMessage, 0) == 0;
    };
    EXPECT_TRUE(starts(validator.validatePath(home + "/out/escaped", home)));
    EXPECT_TRUE(starts(validator.validatePath(home + "/real", home + "/out")));
    EXPECT_TRUE(validator.validatePath(home + "/in", home + "/real").empty());
}

TEST_F(DirectoryValidatorTest, AllowedFoldersAreRecognisedAsWrittenAndByTheirRealPlace) {
    namespace fs = std::filesystem;
    const fs::path custom = dir.mkdir("custom");
    fs::create_directory_symlink(custom, fs::path(home) / "to-custom");
    fs::create_directory_symlink(fs::path(home), dir.path() / "home-link");
    auto validator = make();
    validator.setCustomDirectories({custom.string()});
    EXPECT_TRUE(validator.isAllowedDirectory(home));
    EXPECT_TRUE(validator.isAllowedDirectory(home + "/"));
    EXPECT_TRUE(validator.isAllowedDirectory(custom.string()));
    EXPECT_TRUE(validator.isAllowedDirectory(home + "/to-custom")) << "the custom folder through a link";
    EXPECT_FALSE(validator.isAllowedDirectory(home + "/sub"));
    EXPECT_FALSE(validator.isAllowedDirectory(dir.path().string()));
    // A link to an allowed folder from outside is not itself a way in by text.
    EXPECT_FALSE(validator.isAllowed((dir.path() / "home-link/x").string()));
}
