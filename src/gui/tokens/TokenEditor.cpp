// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/TokenEditor.h"

#include "model/TokenDetailsList.h"
#include "text/DateFormat.h"
#include "tokens/RegExpResolver.h"
#include "tokens/TokenLabels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
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
    title_ = new QLabel(tokenLabel(item_), this);
    title_->setObjectName(QStringLiteral("tokenTitle"));
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    layout->addWidget(title_);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    if (item_.isRegex())
        buildExpressionRows(form);
    else
        buildAttributeRows(form, catalogue);
    refresh(false);
}

void TokenEditor::buildAttributeRows(QFormLayout* form, const TokenDetailsList* catalogue) {
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
}

void TokenEditor::buildExpressionRows(QFormLayout* form) {
    // The pattern is built from these settings alone; text before and after has no part in it.
    RegExpToken& token = item_.regexp;
    auto* matching = new QComboBox(this);
    matching->setObjectName(QStringLiteral("regexContaining"));
    matching->addItem(tr("These characters"), true);
    matching->addItem(tr("Any character except these"), false);
    matching->setCurrentIndex(token.containing ? 0 : 1);
    matching->setAccessibleName(tr("Characters to match"));
    form->addRow(tr("Match:"), matching);
    connect(matching, &QComboBox::currentIndexChanged, this, [this, matching](int index) {
        item_.regexp.containing = matching->itemData(index).toBool();
        refresh(true);
    });

    const auto kind = [&](const char* name, const QString& text, bool RegExpToken::*flag) {
        auto* box = new QCheckBox(text, this);
        box->setObjectName(QLatin1String(name));
        box->setChecked(token.*flag);
        form->addRow(QString(), box);
        connect(box, &QCheckBox::toggled, this, [this, flag](bool on) {
            item_.regexp.*flag = on;
            refresh(true);
        });
    };
    kind("regexAlphabetic", tr("Letters"), &RegExpToken::alphabetic);
    kind("regexNumeric", tr("Numbers"), &RegExpToken::numeric);
    kind("regexPunctuation", tr("Punctuation and symbols"), &RegExpToken::punctuation);
    kind("regexWhitespace", tr("Whitespace"), &RegExpToken::whitespace);

    auto* custom = lineEdit(qs(token.custom), QStringLiteral("regexCustom"), this);
    custom->setAccessibleName(tr("Other characters"));
    custom->setToolTip(tr("Further characters, each taken as it is"));
    form->addRow(tr("Other characters:"), custom);
    connect(custom, &QLineEdit::textEdited, this, [this](const QString& text) {
        item_.regexp.custom = text.toStdString();
        refresh(true);
    });

    auto* count = new QSpinBox(this);
    count->setObjectName(QStringLiteral("regexCount"));
    count->setRange(0, 999);
    count->setSpecialValueText(tr("One or more"));
    count->setValue(std::max(0, token.count));
    count->setAccessibleName(tr("Number of characters"));
    form->addRow(tr("Length:"), count);
    connect(count, &QSpinBox::valueChanged, this, [this](int value) {
        item_.regexp.count = value;
        refresh(true);
    });

    auto* anchor = new QComboBox(this);
    anchor->setObjectName(QStringLiteral("regexAnchor"));
    anchor->addItem(tr("Anywhere"), QString::fromLatin1(rawValue(RegExpAnchor::none).data()));
    anchor->addItem(tr("At the start"), QString::fromLatin1(rawValue(RegExpAnchor::start).data()));
    anchor->addItem(tr("At the end"), QString::fromLatin1(rawValue(RegExpAnchor::end).data()));
    anchor->addItem(tr("The whole text"), QString::fromLatin1(rawValue(RegExpAnchor::startEnd).data()));
    anchor->setCurrentIndex(std::max(0, anchor->findData(QString::fromLatin1(rawValue(token.anchor).data()))));
    anchor->setAccessibleName(tr("Where the match sits"));
    form->addRow(tr("Position:"), anchor);
    connect(anchor, &QComboBox::currentIndexChanged, this, [this, anchor](int index) {
        item_.regexp.anchor =
            regExpAnchorFromRaw(anchor->itemData(index).toString().toStdString()).value_or(RegExpAnchor::none);
        refresh(true);
    });

    pattern_ = new QLabel(this);
    pattern_->setObjectName(QStringLiteral("regexPattern"));
    pattern_->setTextFormat(Qt::PlainText);
    pattern_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pattern_->setForegroundRole(QPalette::PlaceholderText);
    form->addRow(tr("Expression:"), pattern_);
}

void TokenEditor::refresh(bool edited) {
    title_->setText(tokenLabel(item_).trimmed());
    if (pattern_)
        pattern_->setText(qs(RegExpResolver::resolve(item_.regexp).pattern));
    if (dateExample_) {
        const auto now = std::chrono::time_point_cast<std::chrono::milliseconds>(std::chrono::system_clock::now());
        dateExample_->setText(tr("Now: %1").arg(qs(text::formatDate(now, item_.dateFormat))));
    }
    if (sampleValue_) {
        const QString sample = sample_ ? sample_(item_) : QString();
        sampleValue_->setText(sample.isEmpty() ? tr("(no value)") : QLatin1Char('"') + sample + QLatin1Char('"'));
    }
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
