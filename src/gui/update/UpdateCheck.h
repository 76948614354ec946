// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UpdateFeed.h"

#include <QObject>

#include <string>
#include <thread>

class QMainWindow;

namespace quillory {
class Preferences;
}

namespace quillory::update {

// Asks the project's feed once, in the background, whether a newer release exists, and shows the
// update bar at the top of the window when one does. Ends its request when destroyed.
class UpdateCheck : public QObject {
    Q_OBJECT

public:
    UpdateCheck(QMainWindow& window, std::string feedUrl, std::string currentVersion);
    ~UpdateCheck() override;

    void start();

Q_SIGNALS:
    // The bar is showing (tests wait for this).
    void updateShown();
    // Nothing newer, or the feed could not be read (the reason is logged).
    void noUpdate();

private:
    void finished(const Result<UpdateInfo>& result);

    QMainWindow& window_;
    std::string feedUrl_;
    std::string currentVersion_;
    std::jthread thread_;
};

// The start-up step: checks when the "versionCheckOnStartup" setting is on. Owned by the window.
UpdateCheck* startUpdateCheck(QMainWindow& window, const Preferences& preferences);

} // namespace quillory::update
