// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/PreferenceKey.h"

#include <QDialog>

#include <memory>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace quillory {
class AllowedDirectoriesTable;
class DirectoryValidator;
class Session;
}

namespace quillory::gui {

// The preferences window. Every change is stored at once and makes the engine compute the names again
// ("applyChanges"); there is no OK button to press first.
class PreferencesWindow : public QDialog {
    Q_OBJECT
public:
    PreferencesWindow(Session& session, QWidget* parent = nullptr);
    ~PreferencesWindow() override;

    // Shows the stored values again (the window is kept between openings).
    void reload();

    QCheckBox* checkBox(const PreferenceKey& key) const;
    QTableWidget& directoriesTable() const { return *directories_; }
    QLabel& cachedCoordinatesLabel() const { return *cacheCount_; }

signals:
    // A setting was stored; the key in full ("com.halvane.quillory.renameEmptyFolders").
    void preferenceChanged(const QString& key);

private:
    struct Switch {
        PreferenceKey key;
        QCheckBox* box;
    };
    QWidget* buildGeneral();
    QWidget* buildDirectories();
    QWidget* buildGps();
    void addSwitch(QLayout* layout, const PreferenceKey& key, const QString& text, const QString& help);
    void switchToggled(const PreferenceKey& key, bool on);
    void restoreDefaults();
    void reloadDirectories();
    void directoryEdited(int row, const QString& text);
    void addDirectory();
    void removeDirectory();
    void storeGeocoder();
    void settingsChanged(const PreferenceKey& key);

    Session& session_;
    std::shared_ptr<DirectoryValidator> validator_;
    std::unique_ptr<AllowedDirectoriesTable> allowed_;
    std::vector<Switch> switches_;
    QTableWidget* directories_;
    QLabel* directoriesMessage_;
    QPushButton* removeDirectory_;
    QRadioButton* offline_;
    QRadioButton* online_;
    QLineEdit* geocoderUrl_;
    QLabel* geocoderMessage_;
    QLabel* cacheCount_;
    QLabel* recentCount_;
    bool loading_ = false;
};

} // namespace quillory::gui
