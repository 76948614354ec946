// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>

class QLabel;
class QToolButton;

namespace quillory::update {

struct UpdateInfo;

// A slim bar over the window's content: the release message and a link to the download page, and a
// button that closes it. Following the link opens the page in the browser; nothing is downloaded.
class UpdateBar : public QFrame {
    Q_OBJECT

public:
    explicit UpdateBar(const UpdateInfo& info, QWidget* parent = nullptr);

    QString text() const;
    QString link() const { return link_; }

Q_SIGNALS:
    void dismissed();

private:
    QLabel* label_;
    QToolButton* close_;
    QString link_;
};

} // namespace quillory::update
