// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Application.h"
#include "main/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillory"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillory"));
    QApplication::setOrganizationName(QStringLiteral("Quillory"));
    QApplication::setDesktopFileName(QStringLiteral("quillory"));
    quillory::gui::Application application({});
    application.window().show();
    application.processArguments(QApplication::arguments());
    return QApplication::exec();
}
