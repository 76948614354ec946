// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/TokenItem.h"

#include <QFrame>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QFormLayout;
class QSpinBox;

namespace quillory {
class TokenDetailsList;
}

namespace quillory::gui {

// The settings of one token, in a small popup under it. An attribute offers the date format (with an
// example and common patterns), the position format, the number of digits, and the text put before and
// after the value; only the formats its catalogue type uses are offered. An expression token offers the
// kinds of characters it matches (or matches anything but), further characters, the length and where
// the match must sit, with the resulting pattern. Every edit is reported at once.
class TokenEditor : public QFrame {
    Q_OBJECT
public:
    using SampleRenderer = std::function<QString(const TokenItem&)>;

    TokenEditor(TokenItem item, const TokenDetailsList* catalogue, SampleRenderer sample, QWidget* parent = nullptr);

    const TokenItem& item() const { return item_; }
    // The patterns the date format list offers.
    static QStringList commonDatePatterns();

signals:
    void itemEdited(const quillory::TokenItem& item);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildAttributeRows(QFormLayout* form, const TokenDetailsList* catalogue);
    void buildExpressionRows(QFormLayout* form);
    // Fills the examples in; `edited` also reports the item.
    void refresh(bool edited);

    TokenItem item_;
    SampleRenderer sample_;
    QLabel* title_;
    QComboBox* dateFormat_ = nullptr;
    QLabel* dateExample_ = nullptr;
    QComboBox* gpsFormat_ = nullptr;
    QSpinBox* digits_ = nullptr;
    QLineEdit* prefix_ = nullptr;
    QLineEdit* suffix_ = nullptr;
    QLabel* sampleValue_ = nullptr;
    QLabel* pattern_ = nullptr; // expression tokens only

};

} // namespace quillory::gui
