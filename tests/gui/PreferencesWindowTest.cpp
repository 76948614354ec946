// SPDX-License-Identifier: GPL-3.0-or-later
// The preferences window: switches store their key at once and the file table follows, the allowed
// directories table marks and checks its rows, and the GPS settings reach the preferences.
#include "GuiFixture.h"

#include "app/PreferenceKey.h"
#include "app/Preferences.h"
#include "automation/AppServices.h"
#include "main/FileTableModel.h"
#include "main/MainWindow.h"
#include "preferences/PreferencesWindow.h"
#include "tokens/gps/GPSCache.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace quillory::test {
namespace {

const PreferenceKey* const booleanKeys[] = {
    &PreferenceKey::versionCheckOnStartup,   &PreferenceKey::openMostRecentRecipeOnStartup,
    &PreferenceKey::gpsAddressLookup,        &PreferenceKey::renameAliases,
    &PreferenceKey::autoResolveDuplicates,   &PreferenceKey::renameEmptyFolders,
    &PreferenceKey::autoIgnoreFilePermissionErrors,
};

void clickButton(QWidget& window, const QString& accessibleName) {
    int found = 0;
    for (auto* button : window.findChildren<QPushButton*>())
        if (button->accessibleName() == accessibleName) {
            ++found;
            button->click();
        }
    EXPECT_EQ(found, 1) << accessibleName.toStdString();
}

TEST(PreferencesWindowTest, EverySwitchShowsItsKeyAndDefaultAndRestoresIt) {
    GuiApp gui;
    auto& preferences = gui.app().services().preferences();
    auto& window = gui.app().window().showPreferences();
    for (const auto* key : booleanKeys) {
        QCheckBox* box = window.checkBox(*key);
        ASSERT_NE(box, nullptr) << key->str();
        EXPECT_EQ(box->isChecked(), preferences.boolValue(*key)) << key->str();
        EXPECT_TRUE(box->toolTip().contains(QString::fromStdString(key->str()))) << key->str();
        box->click();
        EXPECT_EQ(preferences.boolValue(*key), box->isChecked()) << "stored at once: " << key->str();
    }
    // A fresh installation: four switches on, three off.
    clickButton(window, QStringLiteral("Restore default settings"));
    for (const auto* key : booleanKeys) {
        const bool on = key == &PreferenceKey::versionCheckOnStartup || key == &PreferenceKey::gpsAddressLookup ||
                        key == &PreferenceKey::autoResolveDuplicates || key == &PreferenceKey::renameEmptyFolders;
        EXPECT_EQ(preferences.boolValue(*key), on) << key->str();
        EXPECT_EQ(window.checkBox(*key)->isChecked(), on) << key->str();
        EXPECT_TRUE(window.checkBox(*key)->toolTip().contains(on ? "Default: on" : "Default: off")) << key->str();
    }
}

TEST(PreferencesWindowTest, SwitchingDuplicateResolutionOffShowsTheDuplicatesAsErrors) {
    GuiApp gui;
    auto& window = gui.app().window();
    gui.open({QString::fromStdString(gui.copyExampleFiles() + "/Documents")});
    // Every name becomes "same", every extension lower case: two "same.txt".
    ASSERT_TRUE(window.loadRecipe(QStringLiteral(
        R"({"recipe_format_version":"8.0","transformers":[)"
        R"({"id":"t1","type":"set","transformScope":"filename","properties":{"setText":{"items":[{"type":"string","value":"same","prefix":"","suffix":""}]}},"disabled":false},)"
        R"({"id":"t2","type":"conversion","transformScope":"extension","properties":{"conversionType":"lowercase"},"disabled":false}]})")));
    ASSERT_TRUE(gui.settle());
    auto& model = window.fileModel();
    EXPECT_EQ(model.counts().errors, 0);
    EXPECT_EQ(model.counts().toRename, 3);

    auto& preferences = window.showPreferences();
    preferences.checkBox(PreferenceKey::autoResolveDuplicates)->click();
    ASSERT_TRUE(waitUntil([&] { return model.counts().errors > 0; }));
    ASSERT_TRUE(gui.settle());
    int errors = 0;
    for (int row = 0; row < model.rowCount(); ++row)
        errors += model.state(row) == gui::FileTableModel::RowState::error;
    EXPECT_EQ(errors, model.counts().errors);

    preferences.checkBox(PreferenceKey::autoResolveDuplicates)->click();
    ASSERT_TRUE(waitUntil([&] { return model.counts().errors == 0; }));
}

TEST(PreferencesWindowTest, AllowedDirectoriesAreMarkedCheckedAndStored) {
    GuiApp gui;
    auto& services = gui.app().services();
    auto& window = gui.app().window().showPreferences();
    auto& table = window.directoriesTable();
    ASSERT_GE(table.rowCount(), 1);
    const int fixed = table.rowCount();
    const QString home = QString::fromStdString(gui.home().str());
    EXPECT_TRUE(table.item(fixed - 1, 0)->text().startsWith(home));
    EXPECT_EQ(table.item(fixed - 1, 1)->text(), QStringLiteral("🔒"));
    EXPECT_FALSE(table.item(fixed - 1, 0)->flags() & Qt::ItemIsEditable);

    auto* message = window.findChild<QLabel*>(QStringLiteral("directoriesMessage"));
    clickButton(window, QStringLiteral("Add directory"));
    ASSERT_EQ(table.rowCount(), fixed + 1);
    EXPECT_EQ(table.item(fixed, 0)->text(), QStringLiteral("/"));
    EXPECT_EQ(table.item(fixed, 1)->text(), QStringLiteral("⚠️"));
    EXPECT_TRUE(message->text().startsWith(QStringLiteral("⚠️ Using / is discouraged")));
    EXPECT_EQ(services.preferences().strings(PreferenceKey::customDirectories), std::vector<std::string>{"/"});

    // A path that breaks a rule is refused with an alert; a good one replaces the entry.
    table.item(fixed, 0)->setText(QStringLiteral("/srv//double"));
    ASSERT_TRUE(waitUntil([&] { return !gui.interaction().alertTitles().empty(); }));
    EXPECT_EQ(gui.interaction().alertTitles().back(), "Invalid directory");
    EXPECT_EQ(services.preferences().strings(PreferenceKey::customDirectories), std::vector<std::string>{"/"});
    ASSERT_TRUE(waitUntil([&] { return table.item(fixed, 0)->text() == QStringLiteral("/"); }));
    table.item(fixed, 0)->setText(QStringLiteral("/srv/photos"));
    ASSERT_TRUE(waitUntil([&] { return table.item(fixed, 1)->text() == QStringLiteral("✓"); }));
    EXPECT_EQ(services.preferences().strings(PreferenceKey::customDirectories),
              std::vector<std::string>{"/srv/photos"});
    EXPECT_TRUE(message->text().isEmpty());

    table.setCurrentCell(fixed, 0);
    clickButton(window, QStringLiteral("Remove directory"));
    EXPECT_EQ(table.rowCount(), fixed);
    EXPECT_TRUE(services.preferences().strings(PreferenceKey::customDirectories).empty());
}

TEST(PreferencesWindowTest, GeocoderChoiceAndCachedCoordinates) {
    GuiApp gui;
    auto& services = gui.app().services();
    services.gpsCache().store(GPSCoordinates{52.370216, 4.895168}, GPSAddress{});
    auto& window = gui.app().window().showPreferences();
    EXPECT_EQ(window.cachedCoordinatesLabel().text(), QStringLiteral("Cached coordinates: 6"));
    clickButton(window, QStringLiteral("Clear cached coordinates"));
    EXPECT_EQ(window.cachedCoordinatesLabel().text(), QStringLiteral("Cached coordinates: 0"));
    EXPECT_EQ(services.gpsCache().count(), 0u);

    auto* online = window.findChild<QRadioButton*>(QStringLiteral("onlineGeocoder"));
    auto* url = window.findChild<QLineEdit*>(QStringLiteral("geocoderUrl"));
    auto* message = window.findChild<QLabel*>(QStringLiteral("geocoderMessage"));
    online->click();
    url->setText(QStringLiteral("ftp://places.example"));
    emit url->editingFinished();
    EXPECT_FALSE(message->text().isEmpty());
    EXPECT_EQ(services.preferences().string(PreferenceKey::gpsGeocoder), "offline");
    url->setText(QStringLiteral("https://places.example"));
    emit url->editingFinished();
    EXPECT_TRUE(message->text().isEmpty());
    EXPECT_EQ(services.preferences().string(PreferenceKey::gpsGeocoder), "https://places.example");
    window.findChild<QRadioButton*>(QStringLiteral("offlineGeocoder"))->click();
    EXPECT_EQ(services.preferences().string(PreferenceKey::gpsGeocoder), "offline");
}

} // namespace
} // namespace quillory::test
