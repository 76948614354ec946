// SPDX-License-Identifier: GPL-3.0-or-later
#include "preferences/PreferencesWindow.h"

#include "app/AppNotification.h"
#include "app/NotificationCenter.h"
#include "app/Preferences.h"
#include "automation/AppServices.h"
#include "automation/Session.h"
#include "filelist/AllowedDirectoriesTable.h"
#include "filelist/DirectoryValidator.h"
#include "model/RecentRecipeList.h"
#include "tokens/gps/GPSCache.h"
#include "tokens/gps/GeocoderFactory.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quillory::gui {
namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The values a fresh installation has: the registered defaults over an empty store.
// Read only, never saved: the empty path is never written.
const Preferences& defaults() {
    static const std::unique_ptr<Preferences> store = [] {
        auto fresh = std::make_unique<Preferences>(std::filesystem::path{});
        fresh->registerDefaults();
        return fresh;
    }();
    return *store;
}

bool isOnlineService(const QString& url) {
    return url.startsWith(QLatin1String("http://")) || url.startsWith(QLatin1String("https://"));
}

enum DirectoryColumn { pathColumn, statusColumn, noteColumn };

} // namespace

PreferencesWindow::PreferencesWindow(Session& session, QWidget* parent) : QDialog(parent), session_(session) {
    setWindowTitle(tr("Preferences"));
    setObjectName(QStringLiteral("preferencesWindow"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildGeneral());
    layout->addWidget(buildDirectories(), 1);
    layout->addWidget(buildGps());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close | QDialogButtonBox::RestoreDefaults, this);
    buttons->button(QDialogButtonBox::RestoreDefaults)->setAccessibleName(tr("Restore default settings"));
    buttons->button(QDialogButtonBox::Close)->setAccessibleName(tr("Close preferences"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            &PreferencesWindow::restoreDefaults);
    layout->addWidget(buttons);
    reload();
}

PreferencesWindow::~PreferencesWindow() = default;

QCheckBox* PreferencesWindow::checkBox(const PreferenceKey& key) const {
    for (const auto& entry : switches_)
        if (entry.key == key)
            return entry.box;
    return nullptr;
}

void PreferencesWindow::addSwitch(QLayout* layout, const PreferenceKey& key, const QString& text,
                                  const QString& help) {
    auto* box = new QCheckBox(text, this);
    box->setObjectName(qs(key.shortName()));
    box->setAccessibleName(text);
    const bool byDefault = defaults().boolValue(key);
    box->setToolTip(tr("%1\n\nDefault: %2 (%3)").arg(help, byDefault ? tr("on") : tr("off"), qs(key.str())));
    connect(box, &QCheckBox::toggled, this, [this, key](bool on) { switchToggled(key, on); });
    layout->addWidget(box);
    switches_.push_back({key, box});
}

QWidget* PreferencesWindow::buildGeneral() {
    auto* group = new QGroupBox(tr("General"), this);
    auto* layout = new QVBoxLayout(group);
    addSwitch(layout, PreferenceKey::versionCheckOnStartup, tr("Check for a new version at start-up"),
              tr("Looks for a newer Quillory when the app starts."));
    addSwitch(layout, PreferenceKey::openMostRecentRecipeOnStartup, tr("Open the most recent recipe at start-up"),
              tr("Starts with the rename actions of the recipe used last."));
    addSwitch(layout, PreferenceKey::autoResolveDuplicates, tr("Resolve duplicate names with a number"),
              tr("Files that would get the same name get \" 2\", \" 3\", … instead of an error."));
    addSwitch(layout, PreferenceKey::renameEmptyFolders, tr("Rename empty folders"),
              tr("Empty folders in opened folders are listed and renamed like files."));
    addSwitch(layout, PreferenceKey::renameAliases, tr("Apply rename actions to symbolic links"),
              tr("Symbolic links are renamed like files; otherwise they keep their names."));
    addSwitch(layout, PreferenceKey::autoIgnoreFilePermissionErrors, tr("Skip files without permission silently"),
              tr("A file that may not be renamed is skipped without asking whether to go on."));

    auto* recent = new QHBoxLayout;
    recentCount_ = new QLabel(group);
    auto* clearRecent = new QPushButton(tr("Clear"), group);
    clearRecent->setAccessibleName(tr("Clear recent recipes"));
    connect(clearRecent, &QPushButton::clicked, this, [this] {
        session_.services().recentRecipes().clear();
        reload();
    });
    recent->addWidget(recentCount_, 1);
    recent->addWidget(clearRecent);
    layout->addLayout(recent);
    return group;
}

QWidget* PreferencesWindow::buildDirectories() {
    auto* group = new QGroupBox(tr("Allowed Directories"), this);
    auto* layout = new QVBoxLayout(group);
    auto* intro = new QLabel(tr("Files are renamed only inside these directories. Add your own below."), group);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    directories_ = new QTableWidget(0, 3, group);
    directories_->setObjectName(QStringLiteral("allowedDirectories"));
    directories_->setAccessibleName(tr("Allowed directories"));
    directories_->setHorizontalHeaderLabels({tr("Directory"), tr("Status"), tr("Note")});
    directories_->horizontalHeader()->setSectionResizeMode(pathColumn, QHeaderView::Stretch);
    directories_->horizontalHeader()->setSectionResizeMode(statusColumn, QHeaderView::ResizeToContents);
    directories_->horizontalHeader()->setSectionResizeMode(noteColumn, QHeaderView::ResizeToContents);
    directories_->verticalHeader()->hide();
    directories_->setSelectionBehavior(QAbstractItemView::SelectRows);
    directories_->setSelectionMode(QAbstractItemView::SingleSelection);
    directories_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                  QAbstractItemView::AnyKeyPressed);
    directories_->setMinimumHeight(120);
    layout->addWidget(directories_, 1);
    directoriesMessage_ = new QLabel(group);
    directoriesMessage_->setObjectName(QStringLiteral("directoriesMessage"));
    directoriesMessage_->setWordWrap(true);
    layout->addWidget(directoriesMessage_);

    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton(tr("Add"), group);
    add->setAccessibleName(tr("Add directory"));
    removeDirectory_ = new QPushButton(tr("Remove"), group);
    removeDirectory_->setAccessibleName(tr("Remove directory"));
    buttons->addWidget(add);
    buttons->addWidget(removeDirectory_);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(add, &QPushButton::clicked, this, &PreferencesWindow::addDirectory);
    connect(removeDirectory_, &QPushButton::clicked, this, &PreferencesWindow::removeDirectory);
    connect(directories_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!loading_ && item->column() == pathColumn)
            directoryEdited(item->row(), item->text());
    });
    connect(directories_, &QTableWidget::itemSelectionChanged, this, [this] {
        const int row = directories_->currentRow();
        const auto* item = row >= 0 ? directories_->item(row, pathColumn) : nullptr;
        removeDirectory_->setEnabled(item && (item->flags() & Qt::ItemIsEditable));
    });
    return group;
}

QWidget* PreferencesWindow::buildGps() {
    auto* group = new QGroupBox(tr("GPS Address Lookup"), this);
    auto* layout = new QVBoxLayout(group);
    addSwitch(layout, PreferenceKey::gpsAddressLookup, tr("Look up addresses of photo locations"),
              tr("GPS tokens give the country, city or street where a photo was taken."));

    auto* choice = new QButtonGroup(this);
    offline_ = new QRadioButton(tr("Offline, with the built-in place names"), group);
    offline_->setObjectName(QStringLiteral("offlineGeocoder"));
    offline_->setAccessibleName(tr("Offline geocoder"));
    online_ = new QRadioButton(tr("Online service:"), group);
    online_->setObjectName(QStringLiteral("onlineGeocoder"));
    online_->setAccessibleName(tr("Online geocoder"));
    choice->addButton(offline_);
    choice->addButton(online_);
    geocoderUrl_ = new QLineEdit(group);
    geocoderUrl_->setObjectName(QStringLiteral("geocoderUrl"));
    geocoderUrl_->setAccessibleName(tr("Online service address"));
    geocoderUrl_->setPlaceholderText(QStringLiteral("https://nominatim.example.org"));
    layout->addWidget(offline_);
    auto* onlineRow = new QHBoxLayout;
    onlineRow->addWidget(online_);
    onlineRow->addWidget(geocoderUrl_, 1);
    layout->addLayout(onlineRow);
    geocoderMessage_ = new QLabel(group);
    geocoderMessage_->setObjectName(QStringLiteral("geocoderMessage"));
    geocoderMessage_->setWordWrap(true);
    layout->addWidget(geocoderMessage_);
    connect(offline_, &QRadioButton::toggled, this, [this](bool on) {
        geocoderUrl_->setEnabled(!on);
        if (on && !loading_)
            storeGeocoder();
    });
    connect(online_, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !loading_ && !geocoderUrl_->text().isEmpty())
            storeGeocoder();
    });
    connect(geocoderUrl_, &QLineEdit::editingFinished, this, [this] {
        if (!loading_ && online_->isChecked())
            storeGeocoder();
    });

    auto* cache = new QHBoxLayout;
    cacheCount_ = new QLabel(group);
    cacheCount_->setObjectName(QStringLiteral("cachedCoordinates"));
    auto* clear = new QPushButton(tr("Clear"), group);
    clear->setAccessibleName(tr("Clear cached coordinates"));
    connect(clear, &QPushButton::clicked, this, [this] {
        // Emptied in memory; the empty cache is written when the app quits.
        session_.services().gpsCache().clear();
        cacheCount_->setText(qs(session_.services().gpsCache().countLabel()));
    });
    cache->addWidget(cacheCount_, 1);
    cache->addWidget(clear);
    layout->addLayout(cache);
    return group;
}

void PreferencesWindow::reload() {
    loading_ = true;
    auto& services = session_.services();
    const auto& preferences = services.preferences();
    for (const auto& entry : switches_)
        entry.box->setChecked(preferences.boolValue(entry.key));
    const QString geocoder = qs(preferences.string(PreferenceKey::gpsGeocoder).value_or(std::string(GeocoderFactory::offline)));
    const bool online = isOnlineService(geocoder);
    online_->setChecked(online);
    offline_->setChecked(!online);
    geocoderUrl_->setEnabled(online);
    if (online)
        geocoderUrl_->setText(geocoder);
    geocoderMessage_->clear();
    cacheCount_->setText(qs(services.gpsCache().countLabel()));
    const auto recent = services.recentRecipes().menuEntries().size();
    recentCount_->setText(tr("Recent recipes: %1").arg(recent));
    loading_ = false;
    reloadDirectories();
}

void PreferencesWindow::reloadDirectories() {
    // A fresh validator reads the custom directories and the mounted volumes as they are now.
    validator_ = session_.services().makeDirectoryValidator();
    allowed_ = std::make_unique<AllowedDirectoriesTable>(*validator_, session_.services().userInteraction());
    loading_ = true;
    const auto rows = allowed_->rows();
    const QString home = QDir::homePath() + QLatin1Char('/');
    directories_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& row = rows[static_cast<std::size_t>(r)];
        const QString path = qs(row.directoryPath);
        auto* pathItem = new QTableWidgetItem(path);
        auto* status = new QTableWidgetItem(qs(row.directoryStatus));
        status->setTextAlignment(Qt::AlignCenter);
        QString note;
        if (row.isFixed)
            note = path == home || path + QLatin1Char('/') == home ? tr("Your home folder") : tr("Mounted volume");
        else if (row.directoryStatus == AllowedDirectoriesTable::discouragedStatus)
            note = tr("Allows every directory");
        else
            note = tr("Added by you");
        auto* noteItem = new QTableWidgetItem(note);
        const Qt::ItemFlags readOnly = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        pathItem->setFlags(row.isFixed ? readOnly : readOnly | Qt::ItemIsEditable);
        status->setFlags(readOnly);
        noteItem->setFlags(readOnly);
        for (auto* item : {pathItem, status, noteItem})
            item->setToolTip(row.isFixed ? tr("Fixed directories cannot be edited") : tr("Double-click to edit"));
        directories_->setItem(r, pathColumn, pathItem);
        directories_->setItem(r, statusColumn, status);
        directories_->setItem(r, noteColumn, noteItem);
    }
    directoriesMessage_->setText(qs(allowed_->message()));
    directoriesMessage_->setVisible(!directoriesMessage_->text().isEmpty());
    const int current = directories_->currentRow();
    const auto* item = current >= 0 ? directories_->item(current, pathColumn) : nullptr;
    removeDirectory_->setEnabled(item && (item->flags() & Qt::ItemIsEditable));
    loading_ = false;
}

void PreferencesWindow::switchToggled(const PreferenceKey& key, bool on) {
    if (loading_)
        return;
    // Stores and posts "applyChanges".
    session_.services().preferences().set(key, on);
    settingsChanged(key);
}

void PreferencesWindow::restoreDefaults() {
    auto& preferences = session_.services().preferences();
    for (const auto& entry : switches_)
        preferences.remove(entry.key);
    preferences.remove(PreferenceKey::gpsGeocoder);
    reload();
    session_.reloadSettings();
    session_.services().notifications().post(AppNotification::applyChanges);
    for (const auto& entry : switches_)
        emit preferenceChanged(qs(entry.key.str()));
    emit preferenceChanged(qs(PreferenceKey::gpsGeocoder.str()));
}

void PreferencesWindow::addDirectory() {
    allowed_->addRow();
    settingsChanged(PreferenceKey::customDirectories);
    reloadDirectories();
    const int last = directories_->rowCount() - 1;
    directories_->setCurrentCell(last, pathColumn);
    directories_->editItem(directories_->item(last, pathColumn));
}

void PreferencesWindow::removeDirectory() {
    const int row = directories_->currentRow();
    if (row < 0 || !allowed_->removeRow(static_cast<std::size_t>(row)))
        return;
    settingsChanged(PreferenceKey::customDirectories);
    reloadDirectories();
}

void PreferencesWindow::directoryEdited(int row, const QString& text) {
    const bool stored = allowed_->editRow(static_cast<std::size_t>(row), text.trimmed().toStdString());
    // A refused path has been explained in an alert; the table shows the stored list again either way.
    QMetaObject::invokeMethod(this, &PreferencesWindow::reloadDirectories, Qt::QueuedConnection);
    if (stored)
        settingsChanged(PreferenceKey::customDirectories);
}

void PreferencesWindow::storeGeocoder() {
    std::string setting(GeocoderFactory::offline);
    if (online_->isChecked()) {
        const QString url = geocoderUrl_->text().trimmed();
        if (!isOnlineService(url)) {
            geocoderMessage_->setText(tr("The address of an online service begins with http:// or https://."));
            return;
        }
        setting = url.toStdString();
    }
    geocoderMessage_->clear();
    auto& preferences = session_.services().preferences();
    if (preferences.string(PreferenceKey::gpsGeocoder) == setting)
        return;
    preferences.setValue(PreferenceKey::gpsGeocoder, setting);
    session_.services().notifications().post(AppNotification::applyChanges);
    settingsChanged(PreferenceKey::gpsGeocoder);
}

void PreferencesWindow::settingsChanged(const PreferenceKey& key) {
    // The validator and the geocoder take the new settings before the engine runs again.
    session_.reloadSettings();
    emit preferenceChanged(qs(key.str()));
}

} // namespace quillory::gui
