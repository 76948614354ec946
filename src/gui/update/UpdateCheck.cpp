// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateCheck.h"

#include "UpdateBar.h"
#include "Version.h"
#include "app/Logger.h"
#include "app/PreferenceKey.h"
#include "app/Preferences.h"

#include <QMainWindow>
#include <QToolBar>

namespace quillory::update {

UpdateCheck::UpdateCheck(QMainWindow& window, std::string feedUrl, std::string currentVersion)
    : QObject(&window), window_(window), feedUrl_(std::move(feedUrl)), currentVersion_(std::move(currentVersion)) {}

UpdateCheck::~UpdateCheck() {
    thread_.request_stop();
}

void UpdateCheck::start() {
    thread_ = std::jthread([this](std::stop_token stopToken) {
        auto result = UpdateFeed::fetch(feedUrl_, UpdateFeed::defaultTimeout, stopToken);
        if (stopToken.stop_requested())
            return;
        QMetaObject::invokeMethod(this, [this, result = std::move(result)] { finished(result); }, Qt::QueuedConnection);
    });
}

void UpdateCheck::finished(const Result<UpdateInfo>& result) {
    if (!result) {
        Logger::error("Update check: ", result.error().message);
        Q_EMIT noUpdate();
        return;
    }
    if (!UpdateFeed::isNewer(*result, currentVersion_)) {
        Q_EMIT noUpdate();
        return;
    }
    // A toolbar row of its own keeps the bar above the content without touching the window's layout.
    auto* row = new QToolBar(tr("Update"), &window_);
    row->setObjectName(QStringLiteral("updateToolBar"));
    row->setMovable(false);
    row->setFloatable(false);
    auto* bar = new UpdateBar(*result, row);
    row->addWidget(bar);
    connect(bar, &UpdateBar::dismissed, row, &QObject::deleteLater);
    window_.addToolBarBreak(Qt::TopToolBarArea);
    window_.addToolBar(Qt::TopToolBarArea, row);
    Q_EMIT updateShown();
}

UpdateCheck* startUpdateCheck(QMainWindow& window, const Preferences& preferences) {
    if (!preferences.boolValue(PreferenceKey::versionCheckOnStartup))
        return nullptr;
    auto* check = new UpdateCheck(window, QUILLORY_UPDATE_URL, kVersion);
    check->start();
    return check;
}

} // namespace quillory::update
