// SPDX-License-Identifier: GPL-3.0-or-later
// Quick look: pictures the right way up, the first lines of text files, the type's icon otherwise, and
// Space in the file table opening and closing it on the selected file.
#include "GuiFixture.h"

#include "main/FileTableModel.h"
#include "main/MainWindow.h"
#include "quicklook/QuickLookWindow.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace quillory::test {
namespace {

namespace fs = std::filesystem;
using Kind = gui::QuickLookWindow::Kind;

const fs::path corpus = fs::path(QUILLORY_EXAMPLES_DIR).parent_path() / "tests" / "data" / "corpus";

// A 40×20 JPEG whose EXIF says "turn 90° clockwise to view" (orientation 6).
QByteArray rotatedJpeg() {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    const char tiff[] = {'M', 'M', 0, 42, 0, 0, 0, 8,                   // big-endian header, IFD at 8
                         0, 1,                                          // one entry
                         0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0,      // Orientation, SHORT, 1, value 6
                         0, 0, 0, 0};                                   // no next IFD
    QByteArray exif = QByteArray("Exif\0\0", 6) + QByteArray(tiff, sizeof tiff);
    const int length = static_cast<int>(exif.size()) + 2;
    QByteArray segment;
    segment.append(char(0xFF)).append(char(0xE1)).append(char(length >> 8)).append(char(length & 0xFF)).append(exif);
    return jpeg.left(2) + segment + jpeg.mid(2); // right after the start-of-image marker
}

TEST(QuickLookTest, ShowsPicturesTheRightWayUpTextAndOtherwiseTheType) {
    TempDir dir;
    gui::QuickLookWindow look;

    look.showFile(QString::fromStdString((corpus / "img_gps_amsterdam.jpg").string()));
    EXPECT_EQ(look.kind(), Kind::image);
    EXPECT_FALSE(look.image().isNull());

    const fs::path rotated = dir.path() / "rotated.jpg";
    const QByteArray bytes = rotatedJpeg();
    std::ofstream(rotated, std::ios::binary).write(bytes.constData(), bytes.size());
    look.showFile(QString::fromStdString(rotated.string()));
    ASSERT_EQ(look.kind(), Kind::image);
    EXPECT_EQ(look.image().size(), QSize(20, 40));

    const fs::path notes = dir.path() / "notes.txt";
    {
        std::ofstream out(notes);
        for (int i = 1; i <= gui::QuickLookWindow::maxTextLines + 50; ++i)
            out << "line " << i << "\n";
    }
    look.showFile(QString::fromStdString(notes.string()));
    ASSERT_EQ(look.kind(), Kind::text);
    EXPECT_TRUE(look.text().startsWith(QStringLiteral("line 1\nline 2\n")));
    EXPECT_TRUE(look.text().contains(QStringLiteral("line 200\n")));
    EXPECT_FALSE(look.text().contains(QStringLiteral("line 201")));
    EXPECT_TRUE(look.image().isNull());

    const fs::path binary = dir.path() / "data.bin";
    std::ofstream(binary, std::ios::binary).write("\0\1\2\3\xff\xfe", 6);
    look.showFile(QString::fromStdString(binary.string()));
    EXPECT_EQ(look.kind(), Kind::other);
    EXPECT_TRUE(look.openButton().isEnabled());
    EXPECT_EQ(look.openButton().text(), QStringLiteral("Open with Default Application"));

    look.showFile(QString::fromStdString((dir.path() / "gone.txt").string()));
    EXPECT_EQ(look.kind(), Kind::other);
    EXPECT_FALSE(look.openButton().isEnabled());
}

TEST(QuickLookTest, SpaceInTheFileTableTogglesTheLookAtTheSelectedFile) {
    GuiApp gui;
    auto& window = gui.app().window();
    gui.open({QString::fromStdString(gui.copyExampleFiles() + "/Documents")});
    auto& table = window.fileTable();
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    table.setFocus();
    selectOnly(table, 1);
    const QString path = window.fileModel().index(1, 0).data(gui::FileTableModel::fullPathRole).toString();
    ASSERT_TRUE(fs::is_regular_file(path.toStdString())) << path.toStdString();

    QTest::keyClick(&table, Qt::Key_Space);
    ASSERT_NE(window.quickLook(), nullptr);
    EXPECT_TRUE(window.quickLook()->isVisible());
    EXPECT_EQ(window.quickLook()->path(), path);
    // It follows the selection while it is open.
    selectOnly(table, 0);
    EXPECT_EQ(window.quickLook()->path(), window.fileModel().index(0, 0).data(gui::FileTableModel::fullPathRole).toString());
    QApplication::setActiveWindow(&window);
    table.setFocus();
    QTest::keyClick(&table, Qt::Key_Space);
    EXPECT_FALSE(window.quickLook()->isVisible());
}

} // namespace
} // namespace quillory::test
