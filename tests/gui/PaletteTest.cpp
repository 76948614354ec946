// SPDX-License-Identifier: GPL-3.0-or-later
// Dark mode: the tints of the file table come from the palette (dark rows on a dark base, each state its
// own) and follow a palette change at run time.
#include "GuiFixture.h"

#include "main/FileTableModel.h"
#include "main/MainWindow.h"

#include <QApplication>
#include <QIcon>
#include <QPalette>

#include <gtest/gtest.h>

namespace quillory::test {
namespace {

QPalette darkPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    palette.setColor(QPalette::Text, QColor(0xe6, 0xe6, 0xe6));
    palette.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
    return palette;
}

// Restores the application palette whatever the test does.
struct PaletteGuard {
    QPalette saved = QApplication::palette();
    ~PaletteGuard() { QApplication::setPalette(saved); }
};

TEST(PaletteTest, RowTintsFollowTheApplicationPalette) {
    PaletteGuard guard;
    GuiApp gui;
    auto& window = gui.app().window();
    gui.open({QString::fromStdString(gui.copyExampleFiles() + "/Documents")});
    ASSERT_TRUE(window.loadRecipe(QStringLiteral(QUILLORY_EXAMPLES_DIR "/recipes/tidy-names.recipe")));
    ASSERT_TRUE(gui.settle());
    window.show();
    auto& model = window.fileModel();
    ASSERT_EQ(model.state(0), gui::FileTableModel::RowState::willChange);
    const auto background = [&] { return model.index(0, 0).data(Qt::BackgroundRole).value<QColor>(); };
    const auto icon = [&] { return model.index(0, 0).data(Qt::DecorationRole).value<QIcon>().pixmap(12, 12).toImage(); };
    using State = gui::FileTableModel::RowState;
    const State tinted[] = {State::willChange, State::warning, State::error};

    QPalette light;
    light.setColor(QPalette::Base, Qt::white);
    QApplication::setPalette(light);
    QCoreApplication::processEvents(); // the change reaches the widgets as posted events
    const QColor lightTint = background();
    const QImage lightIcon = icon();
    EXPECT_GT(lightTint.lightnessF(), 0.7);
    EXPECT_GT(lightTint.greenF(), lightTint.redF()) << "a file that will change is tinted green";
    for (const auto state : tinted)
        EXPECT_GT(model.tint(state).lightnessF(), 0.75) << static_cast<int>(state);

    QApplication::setPalette(darkPalette());
    QCoreApplication::processEvents();
    const QColor darkTint = background();
    EXPECT_LT(darkTint.lightnessF(), 0.35);
    EXPECT_GT(darkTint.greenF(), darkTint.redF());
    EXPECT_NE(icon(), lightIcon) << "the state icons are drawn again for the dark palette";
    EXPECT_EQ(model.tint(State::unchanged), QColor(0x1e, 0x1e, 0x1e));
    for (const auto state : tinted) {
        EXPECT_LT(model.tint(state).lightnessF(), 0.35) << static_cast<int>(state);
        EXPECT_NE(model.tint(state), model.tint(State::unchanged)) << static_cast<int>(state);
    }
    // The three states are told apart.
    EXPECT_NE(model.tint(State::willChange), model.tint(State::error));
    EXPECT_NE(model.tint(State::warning), model.tint(State::error));
}

} // namespace
} // namespace quillory::test
