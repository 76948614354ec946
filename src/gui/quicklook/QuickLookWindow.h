// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace quillory::gui {

// A quick look at one file: a picture the right way up (its EXIF orientation applied), the first lines
// of a text file, or else the icon of its type; every file can be opened in its default application.
// Space or Escape closes it.
class QuickLookWindow : public QWidget {
    Q_OBJECT
public:
    enum class Kind { none, image, text, other };
    static constexpr int maxTextLines = 200;
    static constexpr qint64 maxTextBytes = 64 * 1024;

    explicit QuickLookWindow(QWidget* parent = nullptr);

    void showFile(const QString& path);
    const QString& path() const { return path_; }
    Kind kind() const { return kind_; }
    // The picture as shown (before scaling), the text as shown.
    const QImage& image() const { return image_; }
    QString text() const;
    QPushButton& openButton() const { return *open_; }

signals:
    // Space pressed in the window: the owner toggles it like Space in the file table.
    void closeRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool showImage();
    bool showText();
    void showOther();
    void updatePixmap();

    QString path_;
    Kind kind_ = Kind::none;
    QImage image_;
    QStackedWidget* pages_;
    QLabel* picture_;
    QPlainTextEdit* textView_;
    QLabel* icon_;
    QLabel* description_;
    QLabel* caption_;
    QPushButton* open_;
};

} // namespace quillory::gui
