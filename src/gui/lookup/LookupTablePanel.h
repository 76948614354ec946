// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/LookupTableImport.h"
#include "actions/LookupTableRow.h"

#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace quillory::gui {

// The lookup table of a Convert action: find/replace rows to add, remove, reorder and edit, filled from
// or written to a semicolon-separated file. Lines of an imported file that give no row are listed
// below the table with the reason.
class LookupTablePanel : public QWidget {
    Q_OBJECT
public:
    explicit LookupTablePanel(QWidget* parent = nullptr);
    ~LookupTablePanel() override;

    std::vector<LookupTableRow> rows() const;
    // Shows the rows; does not report an edit.
    void setRows(const std::vector<LookupTableRow>& rows);

    // The file's rows replace the table's rows (one edit). False when the file cannot be read; the
    // panel shows why.
    bool importFile(const QString& path);
    // Writes the rows; rows that a file line cannot carry are left out and named below the table.
    bool exportFile(const QString& path);
    // What the last import skipped, as shown.
    const std::vector<LookupImport::SkippedLine>& skippedLines() const { return skipped_; }

    QTableWidget& table() const { return *table_; }

    void addRow();
    void removeSelectedRows();
    // Moves the selected rows one place up (-1) or down (+1).
    void moveSelectedRows(int delta);

signals:
    void edited();

private:
    void chooseImportFile();
    void chooseExportFile();
    void showReport(const QString& text);
    void updateButtons();
    void selectRows(const std::vector<int>& rows);

    QTableWidget* table_;
    QToolButton* remove_;
    QToolButton* up_;
    QToolButton* down_;
    QLabel* report_;
    std::vector<LookupImport::SkippedLine> skipped_;
    bool loading_ = false;
};

} // namespace quillory::gui
