// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/RenamePlanTableItem.h"

#include <QWidget>

#include <vector>

class QLabel;
class QTreeWidget;

namespace quillory::gui {

class AttributeSamples;
class TokenTree;

// The selected file seen from inside: its renaming plan (every action with the name before and after
// it, dimmed where the action did not apply to the file) and its attributes (label, value and the
// token, which can be dragged into a token field).
class FileInspector : public QWidget {
    Q_OBJECT
public:
    enum PlanColumn { actionColumn, beforeColumn, afterColumn };
    enum AttributeColumn { labelColumn, valueColumn, tokenColumn };

    explicit FileInspector(AttributeSamples& samples, QWidget* parent = nullptr);

    // `plan` starts with the original name, then one row per action; `notApplied[i]` marks the action
    // of row i + 1 as one that did not apply (disabled), in addition to the plan's own dimming.
    void showPlan(const std::vector<RenamePlanTableItem>& plan, const std::vector<bool>& notApplied = {});
    // Lists the attributes of the samples' file that have a value.
    void refreshAttributes();

    QTreeWidget& planView() { return *plan_; }
    QTreeWidget& attributeView();

private:
    AttributeSamples& samples_;
    QLabel* title_;
    QTreeWidget* plan_;
    TokenTree* attributes_;
};

} // namespace quillory::gui
