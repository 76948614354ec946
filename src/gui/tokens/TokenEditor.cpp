// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/TokenEditor.h"

#include "model/TokenDetailsList.h"
#include "text/DateFormat.h"
#include "tokens/TokenLabels.h"

#include <QComboBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include <chrono>

namespace quillory::gui {
namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

QLineEdit* lineEdit(const QString& text, const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    edit->setClearButtonEnabled(true);
    return edit;
}

} // namespace

QStringList TokenEditor::commonDatePatterns() {
    return {QStringLiteral("yyyy-MM-dd HHmmss"), QStringLiteral("yyyy-MM-dd"), QStringLiteral("yyyyMMdd"),
            QStringLiteral("yyyyMMdd_HHmmss"),   QStringLiteral("yyyy-MM-dd HH.mm.ss"), QStringLiteral("yyyy"),
            QStringLiteral("yyyy-MM"),           QStringLiteral("MMMM yyyy"),   QStringLiteral("dd.MM.yyyy"),
            QStringLiteral("EEEE"),              QStringLiteral("HHmmss")};
}

TokenEditor::TokenEditor(TokenItem item, const TokenDetailsList* catalogue, SampleRenderer sample, QWidget* parent)
    : QFrame(parent, Qt::Popup), item_(std::move(item)), sample_(std::move(sample)) {
    setObjectName(QStringLiteral("tokenEditor"));
    setFrameShape(QFrame::StyledPanel);
    setAttribute(Qt::WA_DeleteOnClose);
    setAccessibleName(tr("Token settings"));
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(tokenLabel(item_), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    const bool isAttribute = item_.isAttribute();
    if (isAttribute && item_.isDateToken(catalogue)) {
        dateFormat_ = new QComboBox(this);
        dateFormat_->setObjectName(QStringLiteral("dateFormat"));
        dateFormat_->setEditable(true);
        dateFormat_->setInsertPolicy(QComboBox::NoInsert);
        dateFormat_->addItems(commonDatePatterns());
        dateFormat_->setEditText(qs(item_.dateFormat));
        dateFormat_->setAccessibleName(tr("Date format"));
        dateFormat_->setToolTip(tr("y year, M month, d day, H hour, m minute, s second, E weekday; "
                                   "text in single quotes is kept as it is"));
        dateExample_ = new QLabel(this);
        dateExample_->setObjectName(QStringLiteral("dateExample"));
        dateExample_->setForegroundRole(QPalette::PlaceholderText);
        form->addRow(tr("Date format:"), dateFormat_);
        form->addRow(QString(), dateExample_);
        connect(dateFormat_, &QComboBox::editTextChanged, this, [this](const QString& text) {
            item_.dateFormat = text.toStdString();
            refresh(true);
        });
    }
    if (isAttribute && item_.isGpsToken(catalogue)) {
        gpsFormat_ = new QComboBox(this);
        gpsFormat_->setObjectName(QStringLiteral("gpsFormat"));
        gpsFormat_->addItem(tr("Degrees, minutes and seconds"), 0);
        gpsFormat_->addItem(tr("Decimal degrees"), 1);
        gpsFormat_->setCurrentIndex(item_.gpsFormat == 0 ? 0 : 1);
        gpsFormat_->setAccessibleName(tr("Position format"));
        form->addRow(tr("Position:"), gpsFormat_);
        connect(gpsFormat_, &QComboBox::currentIndexChanged, this, [this](int index) {
            item_.gpsFormat = gpsFormat_->itemData(index).toInt();
            refresh(true);
        });
    }
    if (isAttribute && item_.isNumberToken(catalogue)) {
        digits_ = new QSpinBox(this);
        digits_->setObjectName(QStringLiteral("numberDigits"));
        digits_->setRange(0, 12);
        digits_->setValue(item_.numberDigits);
        digits_->setAccessibleName(tr("Minimum digits"));
        form->addRow(tr("Digits:"), digits_);
        connect(digits_, &QSpinBox::valueChanged, this, [this](int value) {
            item_.numberDigits = value;
            refresh(true);
        });
    }
    prefix_ = lineEdit(qs(item_.prefix), QStringLiteral("prefix"), this);
    prefix_->setAccessibleName(tr("Text before"));
    prefix_->setToolTip(tr("Put before the value when the value is not empty"));
    suffix_ = lineEdit(qs(item_.suffix), QStringLiteral("suffix"), this);
    suffix_->setAccessibleName(tr("Text after"));
    suffix_->setToolTip(tr("Put after the value when the value is not empty"));
    form->addRow(tr("Before:"), prefix_);
    form->addRow(tr("After:"), suffix_);
    connect(prefix_, &QLineEdit::textEdited, this, [this](const QString& text) {
        item_.prefix = text.toStdString();
        refresh(true);
    });
    connect(suffix_, &QLineEdit::textEdited, this, [this](const QString& text) {
        item_.suffix = text.toStdString();
        refresh(true);
    });
    sampleValue_ = new QLabel(this);
    sampleValue_->setObjectName(QStringLiteral("sampleValue"));
    sampleValue_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(tr("Selected file:"), sampleValue_);
    refresh(false);
}

void TokenEditor::refresh(bool edited) {
    if (dateExample_) {
        const auto now = std::chrono::time_point_cast<std::chrono::milliseconds>(std::chrono::system_clock::now());
        dateExample_->setText(tr("Now: %1").arg(qs(text::formatDate(now, item_.dateFormat))));
    }
    const QString sample = sample_ ? sample_(item_) : QString();
    sampleValue_->setText(sample.isEmpty() ? tr("(no value)") : QLatin1Char('"') + sample + QLatin1Char('"'));
    if (edited)
        emit itemEdited(item_);
}

void TokenEditor::keyPressEvent(QKeyEvent* event) {
    // Return closes the popup like Escape: every edit is already in the field.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        close();
        return;
    }
    QFrame::keyPressEvent(event);
}

} // namespace quillory::gui
