// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/TokenItem.h"

#include <QTreeWidget>
#include <QWidget>

class QLineEdit;

namespace quillory::gui {

class AttributeSamples;

// The tree of the palette, whose drags carry a token.
class TokenTree : public QTreeWidget {
    Q_OBJECT
public:
    using QTreeWidget::QTreeWidget;

signals:
    void returnPressed(QTreeWidgetItem* row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
};

// The attribute catalogue as a searchable tree in groups, each token with its value for the selected
// file. Double-clicking a token (or Return on it) inserts it into the token field that had the focus
// last; tokens can also be dragged into any token field.
class TokenPalette : public QWidget {
    Q_OBJECT
public:
    static constexpr int tokenIdRole = Qt::UserRole + 1;

    explicit TokenPalette(AttributeSamples& samples, QWidget* parent = nullptr);

    // Shows the values of the samples' file again (call after it changed).
    void refreshSamples();
    // Shows only tokens whose label, id or description contain the text.
    void setFilter(const QString& text);

    QTreeWidget& tree() { return *tree_; }
    QLineEdit& searchField() { return *search_; }
    // The row of an id (null when it is not listed).
    QTreeWidgetItem* itemFor(const QString& tokenId) const;

signals:
    // A token was chosen; it has been inserted when a token field had the focus.
    void tokenChosen(const quillory::TokenItem& item);

private:
    void choose(QTreeWidgetItem* row);

    AttributeSamples& samples_;
    QLineEdit* search_;
    TokenTree* tree_;
};

} // namespace quillory::gui
