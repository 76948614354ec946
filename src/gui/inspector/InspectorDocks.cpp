// SPDX-License-Identifier: GPL-3.0-or-later
#include "inspector/InspectorDocks.h"

#include "actions/ActionEditor.h"
#include "app/NotificationBridge.h"
#include "app/PreferenceKey.h"
#include "app/Preferences.h"
#include "automation/Session.h"
#include "filelist/FileDataSource.h"
#include "inspector/FileInspector.h"
#include "main/FileTableModel.h"
#include "tokens/AttributeSamples.h"
#include "tokens/TokenField.h"
#include "tokens/TokenPalette.h"
#include "tokens/gps/GeocoderFactory.h"

#include <QDockWidget>
#include <QItemSelectionModel>
#include <QMainWindow>
#include <QTableView>
#include <QTimer>

namespace quillory::gui {

InspectorDocks::InspectorDocks(QMainWindow& window, Session& session, QTableView& table, FileTableModel& model,
                               NotificationBridge& bridge, ActionEditor& editor)
    : QObject(&window), session_(session), table_(table), model_(model) {
    auto& services = session.services();
    const auto& attributes = services.attributeServices();
    Preferences& preferences = services.preferences();
    samples_ = std::make_unique<AttributeSamples>(attributes.catalogue, attributes.resolvers, [&preferences] {
        const auto geocoder = preferences.string(PreferenceKey::gpsGeocoder);
        return !geocoder || *geocoder == GeocoderFactory::offline;
    });

    palette_ = new TokenPalette(*samples_);
    paletteDock_ = new QDockWidget(tr("Tokens"), &window);
    paletteDock_->setObjectName(QStringLiteral("tokenPaletteDock"));
    paletteDock_->setWidget(palette_);
    inspector_ = new FileInspector(*samples_);
    inspectorDock_ = new QDockWidget(tr("Inspector"), &window);
    inspectorDock_->setObjectName(QStringLiteral("inspectorDock"));
    inspectorDock_->setWidget(inspector_);
    window.addDockWidget(Qt::RightDockWidgetArea, inspectorDock_);
    window.addDockWidget(Qt::RightDockWidgetArea, paletteDock_);
    window.splitDockWidget(inspectorDock_, paletteDock_, Qt::Vertical);
    window.resizeDocks({inspectorDock_}, {400}, Qt::Horizontal);

    editor.setTokenFieldSetup([this, catalogue = attributes.catalogue](TokenField& field) {
        field.setCatalogue(catalogue.get());
        field.setSampleRenderer([this](const TokenItem& item) { return samples_->render(item); });
    });

    // Expression tokens only mean something in the regular-expression action.
    palette_->setActionType(editor.actionType());
    connect(&editor, &ActionEditor::actionTypeChanged, palette_,
            [this](const QString& typeId) { palette_->setActionType(typeId.toStdString()); });

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(120);
    connect(refreshTimer_, &QTimer::timeout, this, &InspectorDocks::refresh);
    connect(table.selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { scheduleRefresh(true); });
    connect(&model, &QAbstractItemModel::modelReset, this, [this] { scheduleRefresh(true); });
    connect(&bridge, &NotificationBridge::dataSourceUpdated, this, [this] { scheduleRefresh(true); });
    connect(&bridge, &NotificationBridge::chainChanged, this, [this] { scheduleRefresh(false); });
    connect(&bridge, &NotificationBridge::rowsUpdated, this, [this] { scheduleRefresh(false); });
}

InspectorDocks::~InspectorDocks() = default;

void InspectorDocks::scheduleRefresh(bool fileMayChange) {
    reloadFile_ = reloadFile_ || fileMayChange;
    refreshTimer_->start();
}

void InspectorDocks::refresh() {
    refreshTimer_->stop();
    const QModelIndex current = table_.currentIndex();
    std::optional<File> file;
    if (current.isValid())
        file = session_.services().fileDataSource().file(static_cast<std::size_t>(model_.position(current.row())));
    else if (model_.rowCount() > 0)
        file = session_.services().fileDataSource().file(static_cast<std::size_t>(model_.position(0)));

    const auto& shown = samples_->file();
    const bool sameFile = file && shown && file->id() == shown->id() &&
                          file->source.fullPath() == shown->source.fullPath();
    if (reloadFile_ || !sameFile) {
        samples_->setFile(file);
        palette_->refreshSamples();
        inspector_->refreshAttributes();
    }
    reloadFile_ = false;

    std::vector<RenamePlanTableItem> plan;
    std::vector<bool> notApplied;
    if (file) {
        if (auto computed = session_.plan(file->id().text()); computed.ok())
            plan = std::move(computed).value();
        for (const auto& action : session_.chain())
            notApplied.push_back(action.disabled);
        if (plan.size() != notApplied.size() + 1)
            notApplied.clear(); // rows and actions do not line up: trust the plan alone
    }
    inspector_->showPlan(plan, notApplied);
}

} // namespace quillory::gui
