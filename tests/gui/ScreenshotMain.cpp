// SPDX-License-Identifier: GPL-3.0-or-later
// Writes pictures of the main window with the example files and a recipe loaded, in a light and a
// dark palette, so that a person can look at what the app shows. Usage: gui_screenshots OUTPUT_DIR
#include "GuiFixture.h"
#include "TestPaths.h"

#include "app/Logger.h"
#include "main/FileTableModel.h"
#include "actions/ActionEditor.h"
#include "inspector/InspectorDocks.h"
#include "main/MainWindow.h"
#include "tokens/TokenEditor.h"
#include "tokens/TokenField.h"
#include "preferences/PreferencesWindow.h"
#include "quicklook/QuickLookWindow.h"
#include "app/Preferences.h"
#include "automation/AppServices.h"
#include "model/Transformers.h"
#include "tokens/gps/GPSCache.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QTableView>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

QPalette darkPalette() {
    QPalette p;
    const QColor window(0x2b, 0x2b, 0x2b), base(0x1e, 0x1e, 0x1e), text(0xe6, 0xe6, 0xe6);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x26));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
    p.setColor(QPalette::Highlight, QColor(0x2f, 0x6f, 0xb8));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x70, 0x70, 0x70));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x70, 0x70, 0x70));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x70, 0x70, 0x70));
    return p;
}

bool shoot(QWidget& window, const QString& path) {
    QTest::qWait(150);
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "gui_screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: gui_screenshots OUTPUT_DIR\n");
        return 2;
    }
    setenv("TZ", "UTC", 1);
    setenv("LANG", "en_US.UTF-8", 1);
    setenv("QT_FONT_DPI", "96", 1);
    setenv("QUILLORY_METADATA_WORKER", QUILLORY_METADATA_WORKER_BINARY, 1);
    quillory::Logger::setSink(quillory::LogSink::off);
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Quillory"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);
    const QPalette light = QApplication::style()->standardPalette();
    QApplication::setPalette(light);

    quillory::test::GuiApp gui;
    auto& window = gui.app().window();
    window.resize(1400, 820);
    window.show();
    const std::string files = gui.copyExampleFiles();
    // A photo with a date and a place, for the token pictures.
    std::filesystem::copy_file(std::filesystem::path(quillory::test::kCorpusDir) / "img_gps_amsterdam.jpg",
                               std::filesystem::path(files) / "img_gps_amsterdam.jpg");
    gui.app().processArguments({QStringLiteral("quillory"), QStringLiteral("-d"), QString::fromStdString(files),
                                QStringLiteral("-r"),
                                QStringLiteral(QUILLORY_EXAMPLES_DIR "/recipes/tidy-names.recipe")});
    if (!gui.settle()) {
        std::fprintf(stderr, "gui_screenshots: the list did not settle\n");
        return 1;
    }
    window.selectAction(0);
    window.fileTable().selectRow(1);
    bool ok = shoot(window, output + "/main-window-light.png");
    window.selectAction(2);
    QApplication::setPalette(darkPalette());
    ok = shoot(window, output + "/main-window-dark.png") && ok;

    QApplication::setPalette(light);
    window.addAction("numbering");
    gui.settle();
    ok = shoot(window, output + "/numbering-editor-light.png") && ok;

    // A Convert action with a lookup table in its editor.
    quillory::Transformer convert("conversion");
    convert.properties.conversionType = "lookup";
    convert.properties.conversionLookup = quillory::TransformerProperties::LookupTable{{" ", "_"}, {"_+", "_"}, {"ä", "ae"}};
    gui.app().services().transformers().addTransformer(convert);
    gui.settle();
    window.selectAction(static_cast<int>(gui.app().services().transformers().size()) - 1);
    ok = shoot(window, output + "/lookup-table-light.png") && ok;

    // The preferences with a custom directory, one of them discouraged, and some cached places.
    gui.app().services().preferences().set(quillory::PreferenceKey::customDirectories,
                                           std::vector<std::string>{"/srv/photos", "/"});
    gui.app().services().gpsCache().store({52.370216, 4.895168}, {});
    auto& preferences = window.showPreferences();
    preferences.resize(620, 720);
    ok = shoot(preferences, output + "/preferences-light.png") && ok;
    QApplication::setPalette(darkPalette());
    ok = shoot(preferences, output + "/preferences-dark.png") && ok;
    preferences.close();
    QApplication::setPalette(light);

    window.fileTable().selectRow(0);
    const QString photo = QString::fromStdString(files + "/Photos/Amsterdam/IMG_0010.JPG");
    quillory::gui::QuickLookWindow look;
    look.resize(520, 420);
    look.showFile(photo);
    look.show();
    ok = shoot(look, output + "/quick-look-light.png") && ok;

    QApplication::setPalette(light);
    // A Set action naming photos by date and city: tokens as cells, the inspector on the photo.
    window.addAction("set");
    auto* field = window.actionEditor().findChild<quillory::gui::TokenField*>(QStringLiteral("setText"));
    if (!field) {
        std::fprintf(stderr, "gui_screenshots: the Set action has no token field\n");
        return 1;
    }
    quillory::TokenItem city = quillory::TokenItem::attribute("GPS-AddressCity");
    city.prefix = " ";
    field->setTokenString(quillory::TokenString({quillory::TokenItem::text("Photo "),
                                                 quillory::TokenItem::attribute("{Exif}.DateTimeOriginal"), city}));
    window.actionEditor().flush();
    gui.settle();
    for (int row = 0; row < window.fileModel().rowCount(); ++row)
        if (window.fileModel().index(row, 0).data().toString() == QStringLiteral("img_gps_amsterdam"))
            window.fileTable().selectRow(row);
    window.inspectorDocks().refresh();
    field->setFocus();
    ok = shoot(window, output + "/token-field-light.png") && ok;
    auto* editor = field->editToken(field->tokenPositions().front());
    if (editor)
        ok = shoot(*editor, output + "/token-editor-light.png") && ok;
    if (editor)
        editor->close();
    QApplication::setPalette(darkPalette());
    ok = shoot(window, output + "/token-field-dark.png") && ok;
    editor = field->editToken(field->tokenPositions().front());
    if (editor)
        ok = shoot(*editor, output + "/token-editor-dark.png") && ok;
    return ok ? 0 : 1;
}
