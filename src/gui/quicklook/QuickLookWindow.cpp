// SPDX-License-Identifier: GPL-3.0-or-later
#include "quicklook/QuickLookWindow.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStringDecoder>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

namespace quillory::gui {
namespace {

enum Page { picturePage, textPage, otherPage };

} // namespace

QuickLookWindow::QuickLookWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("quickLook"));
    setAccessibleName(tr("Quick Look"));
    // The file table keeps the focus, so that the arrow keys go on choosing the file to look at.
    setAttribute(Qt::WA_ShowWithoutActivating);
    resize(640, 480);
    auto* layout = new QVBoxLayout(this);
    pages_ = new QStackedWidget(this);
    picture_ = new QLabel(pages_);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setMinimumSize(64, 64);
    picture_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    textView_ = new QPlainTextEdit(pages_);
    textView_->setReadOnly(true);
    textView_->setAccessibleName(tr("File contents"));
    textView_->setLineWrapMode(QPlainTextEdit::NoWrap);
    textView_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* other = new QWidget(pages_);
    auto* otherLayout = new QVBoxLayout(other);
    icon_ = new QLabel(other);
    icon_->setAlignment(Qt::AlignCenter);
    description_ = new QLabel(other);
    description_->setAlignment(Qt::AlignCenter);
    description_->setWordWrap(true);
    otherLayout->addStretch(1);
    otherLayout->addWidget(icon_);
    otherLayout->addWidget(description_);
    otherLayout->addStretch(1);
    pages_->addWidget(picture_);
    pages_->addWidget(textView_);
    pages_->addWidget(other);
    layout->addWidget(pages_, 1);

    auto* bottom = new QHBoxLayout;
    caption_ = new QLabel(this);
    caption_->setForegroundRole(QPalette::PlaceholderText);
    caption_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    open_ = new QPushButton(tr("Open with Default Application"), this);
    open_->setAccessibleName(tr("Open with default application"));
    bottom->addWidget(caption_, 1);
    bottom->addWidget(open_);
    layout->addLayout(bottom);
    connect(open_, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(path_)); });
}

void QuickLookWindow::showFile(const QString& path) {
    path_ = path;
    image_ = {};
    open_->setEnabled(true);
    const QFileInfo info(path);
    setWindowTitle(info.fileName().isEmpty() ? path : info.fileName());
    const QString size = info.isFile() ? QLocale().formattedDataSize(info.size()) : QString();
    caption_->setText(size.isEmpty() ? path : tr("%1 — %2").arg(path, size));
    if (info.isFile() && (showImage() || showText()))
        return;
    showOther();
}

bool QuickLookWindow::showImage() {
    QImageReader reader(path_);
    if (!reader.canRead())
        return false;
    // Cameras store pictures as taken and say in EXIF how to turn them.
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull())
        return false;
    image_ = std::move(image);
    kind_ = Kind::image;
    pages_->setCurrentIndex(picturePage);
    updatePixmap();
    return true;
}

bool QuickLookWindow::showText() {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path_);
    if (!type.inherits(QStringLiteral("text/plain")))
        return false;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(maxTextBytes);
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    QStringList lines = text.split(QLatin1Char('\n'));
    const bool cut = lines.size() > maxTextLines || file.size() > maxTextBytes;
    if (lines.size() > maxTextLines)
        lines.resize(maxTextLines);
    text = lines.join(QLatin1Char('\n'));
    if (cut)
        text += QLatin1Char('\n') + tr("…");
    textView_->setPlainText(text);
    kind_ = Kind::text;
    pages_->setCurrentIndex(textPage);
    return true;
}

void QuickLookWindow::showOther() {
    const QFileInfo info(path_);
    QIcon icon = QFileIconProvider().icon(info);
    if (icon.isNull())
        icon = style()->standardIcon(info.isDir() ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    icon_->setPixmap(icon.pixmap(128, 128));
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    description_->setText(info.exists() ? tr("%1\n%2").arg(info.fileName(), type.comment())
                                        : tr("%1\nThe item is no longer there.").arg(info.fileName()));
    open_->setEnabled(info.exists());
    kind_ = Kind::other;
    pages_->setCurrentIndex(otherPage);
}

QString QuickLookWindow::text() const { return kind_ == Kind::text ? textView_->toPlainText() : QString(); }

void QuickLookWindow::updatePixmap() {
    if (image_.isNull())
        return;
    // Large pictures shrink to fit; small ones grow, but not so far that they turn to mush.
    const QSize room = picture_->size().boundedTo(image_.size() * 4);
    picture_->setPixmap(QPixmap::fromImage(image_.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void QuickLookWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updatePixmap();
}

void QuickLookWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Escape) {
        emit closeRequested();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quillory::gui
