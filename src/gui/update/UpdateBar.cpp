// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateBar.h"

#include "UpdateFeed.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>

namespace quillory::update {

UpdateBar::UpdateBar(const UpdateInfo& info, QWidget* parent)
    : QFrame(parent), label_(new QLabel(this)), close_(new QToolButton(this)),
      link_(QString::fromStdString(info.url)) {
    setObjectName(QStringLiteral("updateBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    // The feed's texts are shown as plain text; only the link is made clickable.
    const QString message = QString::fromStdString(info.message).toHtmlEscaped();
    const QString version = QString::fromStdString(info.version).toHtmlEscaped();
    label_->setTextFormat(Qt::RichText);
    label_->setText(tr("Quillory %1 is available. %2 <a href=\"%3\">Download page</a>")
                        .arg(version, message, link_.toHtmlEscaped()));
    label_->setOpenExternalLinks(true);
    label_->setTextInteractionFlags(Qt::TextBrowserInteraction);
    label_->setWordWrap(true);
    close_->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close_->setAutoRaise(true);
    close_->setToolTip(tr("Dismiss"));
    close_->setAccessibleName(tr("Dismiss"));
    connect(close_, &QToolButton::clicked, this, [this] {
        hide();
        Q_EMIT dismissed();
    });
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    layout->addWidget(label_, 1);
    layout->addWidget(close_);
}

QString UpdateBar::text() const { return label_->text(); }

} // namespace quillory::update
