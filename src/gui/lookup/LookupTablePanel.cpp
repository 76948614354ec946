// SPDX-License-Identifier: GPL-3.0-or-later
#include "lookup/LookupTablePanel.h"

#include "main/ShiftedOrder.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace quillory::gui {
namespace {

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QPushButton* button(const QString& text, const QString& accessibleName, QWidget* parent) {
    auto* result = new QPushButton(text, parent);
    result->setAccessibleName(accessibleName);
    result->setToolTip(accessibleName);
    result->setAutoDefault(false);
    return result;
}

// The row buttons sit in the narrow editor column: symbols, with their names in the tool tips.
QToolButton* rowButton(const QString& symbol, const QString& accessibleName, QWidget* parent) {
    auto* result = new QToolButton(parent);
    result->setText(symbol);
    result->setAccessibleName(accessibleName);
    result->setToolTip(accessibleName);
    return result;
}

} // namespace

LookupTablePanel::LookupTablePanel(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    table_ = new QTableWidget(0, 2, this);
    table_->setObjectName(QStringLiteral("lookupTable"));
    table_->setAccessibleName(tr("Lookup table"));
    table_->setHorizontalHeaderLabels({tr("Find"), tr("Replace")});
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setMinimumHeight(110);
    layout->addWidget(table_);

    auto* rowButtons = new QHBoxLayout;
    auto* add = rowButton(QStringLiteral("+"), tr("Add lookup row"), this);
    remove_ = rowButton(QStringLiteral("−"), tr("Remove lookup row"), this);
    up_ = rowButton(QStringLiteral("↑"), tr("Move lookup row up"), this);
    down_ = rowButton(QStringLiteral("↓"), tr("Move lookup row down"), this);
    for (auto* b : {add, remove_, up_, down_})
        rowButtons->addWidget(b);
    rowButtons->addStretch(1);
    layout->addLayout(rowButtons);
    auto* fileButtons = new QHBoxLayout;
    auto* import = button(tr("Import CSV…"), tr("Import lookup rows from a CSV file"), this);
    auto* exportButton = button(tr("Export CSV…"), tr("Export lookup rows to a CSV file"), this);
    fileButtons->addWidget(import);
    fileButtons->addWidget(exportButton);
    fileButtons->addStretch(1);
    layout->addLayout(fileButtons);
    report_ = new QLabel(this);
    report_->setObjectName(QStringLiteral("lookupReport"));
    report_->setWordWrap(true);
    report_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    report_->setForegroundRole(QPalette::PlaceholderText);
    report_->hide();
    layout->addWidget(report_);

    // Keyboard reordering, like the file table: Ctrl+Shift+Up/Down.
    auto* moveUp = new QAction(tr("Move Row Up"), table_);
    moveUp->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Up));
    moveUp->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    auto* moveDown = new QAction(tr("Move Row Down"), table_);
    moveDown->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down));
    moveDown->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    table_->addAction(moveUp);
    table_->addAction(moveDown);

    connect(moveUp, &QAction::triggered, this, [this] { moveSelectedRows(-1); });
    connect(moveDown, &QAction::triggered, this, [this] { moveSelectedRows(1); });
    connect(add, &QToolButton::clicked, this, &LookupTablePanel::addRow);
    connect(remove_, &QToolButton::clicked, this, &LookupTablePanel::removeSelectedRows);
    connect(up_, &QToolButton::clicked, this, [this] { moveSelectedRows(-1); });
    connect(down_, &QToolButton::clicked, this, [this] { moveSelectedRows(1); });
    connect(import, &QPushButton::clicked, this, &LookupTablePanel::chooseImportFile);
    connect(exportButton, &QPushButton::clicked, this, &LookupTablePanel::chooseExportFile);
    connect(table_, &QTableWidget::itemChanged, this, [this] {
        if (!loading_)
            emit edited();
    });
    connect(table_, &QTableWidget::itemSelectionChanged, this, &LookupTablePanel::updateButtons);
    updateButtons();
}

LookupTablePanel::~LookupTablePanel() {
    // An open cell editor commits its text while the children go, after this panel has gone: the table
    // must not report that edit to it.
    disconnect(table_, nullptr, this, nullptr);
}

std::vector<LookupTableRow> LookupTablePanel::rows() const {
    std::vector<LookupTableRow> result;
    for (int r = 0; r < table_->rowCount(); ++r) {
        const auto cell = [&](int c) { return table_->item(r, c) ? table_->item(r, c)->text().toStdString() : std::string(); };
        result.push_back({cell(0), cell(1)});
    }
    return result;
}

void LookupTablePanel::setRows(const std::vector<LookupTableRow>& rows) {
    loading_ = true;
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        table_->setItem(r, 0, new QTableWidgetItem(qs(rows[static_cast<std::size_t>(r)].find)));
        table_->setItem(r, 1, new QTableWidgetItem(qs(rows[static_cast<std::size_t>(r)].replace)));
    }
    loading_ = false;
    updateButtons();
}

void LookupTablePanel::addRow() {
    loading_ = true;
    const int row = table_->currentRow() >= 0 ? table_->currentRow() + 1 : table_->rowCount();
    table_->insertRow(row);
    table_->setItem(row, 0, new QTableWidgetItem);
    table_->setItem(row, 1, new QTableWidgetItem);
    loading_ = false;
    table_->setCurrentCell(row, 0);
    table_->editItem(table_->item(row, 0));
    emit edited();
}

void LookupTablePanel::removeSelectedRows() {
    std::set<int> selected;
    for (const auto& index : table_->selectionModel()->selectedRows())
        selected.insert(index.row());
    if (selected.empty() && table_->currentRow() >= 0)
        selected.insert(table_->currentRow());
    if (selected.empty())
        return;
    for (auto row = selected.rbegin(); row != selected.rend(); ++row)
        table_->removeRow(*row);
    updateButtons();
    emit edited();
}

void LookupTablePanel::moveSelectedRows(int delta) {
    std::vector<bool> marked(static_cast<std::size_t>(table_->rowCount()), false);
    for (const auto& index : table_->selectionModel()->selectedRows())
        marked[static_cast<std::size_t>(index.row())] = true;
    const auto order = shiftedOrder(marked, delta);
    if (std::is_sorted(order.begin(), order.end()))
        return;
    const auto before = rows();
    std::vector<LookupTableRow> after;
    std::vector<int> selection;
    for (std::size_t i = 0; i < order.size(); ++i) {
        after.push_back(before[static_cast<std::size_t>(order[i])]);
        if (marked[static_cast<std::size_t>(order[i])])
            selection.push_back(static_cast<int>(i));
    }
    setRows(after);
    selectRows(selection);
    emit edited();
}

void LookupTablePanel::selectRows(const std::vector<int>& rows) {
    table_->clearSelection();
    for (int row : rows)
        table_->selectionModel()->select(table_->model()->index(row, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (!rows.empty())
        table_->selectionModel()->setCurrentIndex(table_->model()->index(rows.front(), 0), QItemSelectionModel::NoUpdate);
}

void LookupTablePanel::updateButtons() {
    const bool selected = table_->selectionModel()->hasSelection();
    remove_->setEnabled(selected);
    up_->setEnabled(selected);
    down_->setEnabled(selected);
}

bool LookupTablePanel::importFile(const QString& path) {
    auto imported = importLookupFileWithReport(path.toStdString());
    if (!imported.ok()) {
        skipped_.clear();
        showReport(qs(imported.error().message));
        return false;
    }
    skipped_ = imported->skipped;
    setRows(imported->rows);
    QStringList lines;
    for (const auto& line : skipped_)
        lines << tr("Line %1 skipped (%2): %3").arg(line.line).arg(qs(line.reason), qs(line.text));
    const QString summary = imported->rows.size() == 1 ? tr("Imported 1 row.")
                                                       : tr("Imported %1 rows.").arg(imported->rows.size());
    showReport(lines.isEmpty() ? summary : summary + QLatin1Char('\n') + lines.join(QLatin1Char('\n')));
    emit edited();
    return true;
}

bool LookupTablePanel::exportFile(const QString& path) {
    std::vector<std::size_t> leftOut;
    const std::string text = lookupTableText(rows(), &leftOut);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) < 0 ||
        !file.commit()) {
        showReport(tr("Could not write %1: %2").arg(path, file.errorString()));
        return false;
    }
    QStringList lines;
    for (std::size_t row : leftOut)
        lines << tr("Row %1 left out: an empty find text or a line break cannot be written to a line.").arg(row + 1);
    showReport(lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')));
    return true;
}

void LookupTablePanel::chooseImportFile() {
    const QString path = QFileDialog::getOpenFileName(this, tr("Import Lookup Table"), {}, tr("CSV files (*.csv)"));
    if (!path.isEmpty())
        importFile(path);
}

void LookupTablePanel::chooseExportFile() {
    QString path = QFileDialog::getSaveFileName(this, tr("Export Lookup Table"), tr("Lookup.csv"), tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        path += QStringLiteral(".csv");
    exportFile(path);
}

void LookupTablePanel::showReport(const QString& text) {
    report_->setText(text);
    report_->setVisible(!text.isEmpty());
}

} // namespace quillory::gui
