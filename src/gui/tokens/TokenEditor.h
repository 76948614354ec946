// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/TokenItem.h"

#include <QFrame>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace quillory {
class TokenDetailsList;
}

namespace quillory::gui {

// The settings of one token, in a small popup under it: the date format (with an example and common
// patterns), the position format, the number of digits, and the text put before and after the value.
// Only the formats the token's catalogue type uses are offered. Every edit is reported at once.
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
    // Fills the examples in; `edited` also reports the item.
    void refresh(bool edited);

    TokenItem item_;
    SampleRenderer sample_;
    QComboBox* dateFormat_ = nullptr;
    QLabel* dateExample_ = nullptr;
    QComboBox* gpsFormat_ = nullptr;
    QSpinBox* digits_ = nullptr;
    QLineEdit* prefix_;
    QLineEdit* suffix_;
    QLabel* sampleValue_;
};

} // namespace quillory::gui
