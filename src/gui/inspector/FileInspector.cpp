// SPDX-License-Identifier: GPL-3.0-or-later
#include "inspector/FileInspector.h"

#include "model/TokenDetailsList.h"
#include "tokens/AttributeSamples.h"
#include "tokens/TokenLabels.h"
#include "tokens/TokenPalette.h"

#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>

#include <set>

namespace quillory::gui {
namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

QTreeWidget* configured(QTreeWidget* view, const QString& name, const QStringList& headers) {
    view->setObjectName(name);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setColumnCount(static_cast<int>(headers.size()));
    view->setHeaderLabels(headers);
    view->setTextElideMode(Qt::ElideMiddle);
    view->header()->setStretchLastSection(true);
    view->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    return view;
}

// The name as the plan shows it: with its folder when the folder differs from where the file is now.
QString shownName(const RenamePlanTableItem& row, const std::string& originalPath) {
    if (row.path == originalPath)
        return qs(row.filename);
    return qs(row.path) + QLatin1Char('/') + qs(row.filename);
}

} // namespace

FileInspector::FileInspector(AttributeSamples& samples, QWidget* parent) : QWidget(parent), samples_(samples) {
    setObjectName(QStringLiteral("fileInspector"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    title_ = new QLabel(tr("No file selected"), this);
    title_->setObjectName(QStringLiteral("inspectorTitle"));
    title_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    layout->addWidget(title_);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    auto* planBox = new QWidget(splitter);
    auto* planLayout = new QVBoxLayout(planBox);
    planLayout->setContentsMargins(0, 0, 0, 0);
    planLayout->addWidget(new QLabel(tr("Renaming Plan"), planBox));
    plan_ = configured(new QTreeWidget(planBox), QStringLiteral("renamingPlan"), {tr("Action"), tr("Before"), tr("After")});
    plan_->setAccessibleName(tr("Renaming plan"));
    // Before and after share the room, so that both names stay in view.
    plan_->header()->setStretchLastSection(false);
    plan_->header()->setSectionResizeMode(beforeColumn, QHeaderView::Stretch);
    plan_->header()->setSectionResizeMode(afterColumn, QHeaderView::Stretch);
    planLayout->addWidget(plan_);

    auto* attributeBox = new QWidget(splitter);
    auto* attributeLayout = new QVBoxLayout(attributeBox);
    attributeLayout->setContentsMargins(0, 0, 0, 0);
    attributeLayout->addWidget(new QLabel(tr("Attributes"), attributeBox));
    attributes_ = new TokenTree(attributeBox);
    configured(attributes_, QStringLiteral("attributes"), {tr("Attribute"), tr("Value"), tr("Token")});
    attributes_->setAccessibleName(tr("Attributes of the selected file"));
    attributes_->header()->setStretchLastSection(false);
    attributes_->header()->setSectionResizeMode(valueColumn, QHeaderView::Stretch);
    attributes_->header()->setSectionResizeMode(tokenColumn, QHeaderView::Interactive);
    attributes_->header()->resizeSection(tokenColumn, 110);
    attributes_->setDragEnabled(true);
    attributes_->setDragDropMode(QAbstractItemView::DragOnly);
    attributes_->setToolTip(tr("Drag a token into a text field of a rename action"));
    attributeLayout->addWidget(attributes_);
    splitter->addWidget(planBox);
    splitter->addWidget(attributeBox);
    layout->addWidget(splitter, 1);
}

QTreeWidget& FileInspector::attributeView() { return *attributes_; }

void FileInspector::showPlan(const std::vector<RenamePlanTableItem>& plan, const std::vector<bool>& notApplied) {
    plan_->clear();
    if (plan.empty()) {
        title_->setText(tr("No file selected"));
        return;
    }
    title_->setText(qs(plan.front().filename));
    const std::string& originalPath = plan.front().path;
    const QColor dim = palette().color(QPalette::Disabled, QPalette::Text);
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const auto& step = plan[i];
        const QString before = i == 0 ? QString() : shownName(plan[i - 1], originalPath);
        const QString after = shownName(step, originalPath);
        auto* row = new QTreeWidgetItem(plan_, {qs(step.label), before, after});
        const bool skipped = step.dimmed || (i > 0 && i - 1 < notApplied.size() && notApplied[i - 1]);
        row->setData(actionColumn, Qt::UserRole, skipped);
        row->setToolTip(afterColumn, qs(step.path) + QLatin1Char('/') + qs(step.filename));
        if (skipped) {
            for (int c = 0; c < 3; ++c)
                row->setForeground(c, dim);
            row->setToolTip(actionColumn, tr("Did not apply to this file"));
        } else if (i > 0 && before != after) {
            QFont font = row->font(afterColumn);
            font.setBold(true);
            row->setFont(afterColumn, font);
        }
    }
}

void FileInspector::refreshAttributes() {
    attributes_->clear();
    if (!samples_.file())
        return;
    const auto& catalogue = samples_.catalogue();
    std::set<std::string> seen;
    for (const auto& group : tokenGroups(catalogue))
        for (const auto* details : group.tokens) {
            if (!seen.insert(details->tokenId).second)
                continue;
            const QString value = samples_.value(details->tokenId);
            if (value.isEmpty())
                continue;
            const QString id = qs(details->tokenId);
            auto* row = new QTreeWidgetItem(attributes_, {attributeLabel(details->tokenId), value,
                                                         QLatin1Char('{') + id + QLatin1Char('}')});
            row->setData(0, TokenPalette::tokenIdRole, id);
            row->setToolTip(valueColumn, value);
            row->setToolTip(labelColumn, qs(details->description).trimmed());
            row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        }
}

} // namespace quillory::gui
