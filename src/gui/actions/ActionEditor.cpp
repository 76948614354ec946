// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/ActionEditor.h"

#include "actions/ChainCheck.h"
#include "lookup/LookupTablePanel.h"
#include "model/TransformerTypes.h"
#include "tokens/TokenField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace quillory::gui {
namespace {

using Json = nlohmann::ordered_json;
using Kind = ActionField::Kind;

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

const std::pair<TransformScope, const char*> scopes[] = {
    {TransformScope::filename, "File Name"},
    {TransformScope::path, "Path"},
    {TransformScope::ext, "Extension"},
    {TransformScope::fullPath, "Full Path"},
};

Json lookupValue(const std::vector<LookupTableRow>& rows) {
    Json value = Json::array();
    for (const auto& row : rows)
        value.push_back(Json::array({row.find, row.replace}));
    return value;
}

} // namespace

ActionEditor::ActionEditor(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    title_ = new QLabel(this);
    QFont bold = title_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    title_->setFont(bold);
    help_ = new QLabel(this);
    help_->setWordWrap(true);
    help_->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(title_);
    layout->addWidget(help_);

    auto* common = new QFormLayout;
    scope_ = new QComboBox(this);
    for (const auto& [scope, label] : scopes)
        scope_->addItem(tr(label), qs(rawValue(scope)));
    scope_->setAccessibleName(tr("Scope"));
    scope_->setObjectName(QStringLiteral("scope"));
    enabled_ = new QCheckBox(tr("Enabled"), this);
    enabled_->setAccessibleName(tr("Enabled"));
    enabled_->setObjectName(QStringLiteral("enabled"));
    description_ = new QLineEdit(this);
    description_->setPlaceholderText(tr("optional"));
    description_->setAccessibleName(tr("Description"));
    description_->setObjectName(QStringLiteral("description"));
    common->addRow(tr("Applies to:"), scope_);
    common->addRow(QString(), enabled_);
    common->addRow(tr("Description:"), description_);
    layout->addLayout(common);

    form_ = new QWidget(this);
    formLayout_ = new QFormLayout(form_);
    formLayout_->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(form_);
    otherProblems_ = new QLabel(this);
    otherProblems_->setObjectName(QStringLiteral("otherProblems"));
    otherProblems_->setWordWrap(true);
    otherProblems_->hide();
    layout->addWidget(otherProblems_);
    layout->addStretch(1);

    debounce_ = new QTimer(this);
    debounce_->setSingleShot(true);
    debounce_->setInterval(250);
    connect(debounce_, &QTimer::timeout, this, &ActionEditor::report);
    connect(scope_, &QComboBox::currentIndexChanged, this, &ActionEditor::changed);
    connect(enabled_, &QCheckBox::toggled, this, &ActionEditor::changed);
    connect(description_, &QLineEdit::textEdited, this, &ActionEditor::changed);
    setAction(std::nullopt);
}

void ActionEditor::setDebounceInterval(int milliseconds) { debounce_->setInterval(milliseconds); }

void ActionEditor::setTokenFieldSetup(std::function<void(TokenField&)> setup) {
    tokenFieldSetup_ = std::move(setup);
    if (tokenFieldSetup_)
        for (auto* field : form_->findChildren<TokenField*>())
            tokenFieldSetup_(*field);
}

bool ActionEditor::hasPendingEdit() const { return debounce_->isActive(); }

void ActionEditor::flush() {
    if (debounce_->isActive())
        report();
}

namespace {

QString quoted(const std::string& text) { return QStringLiteral("\u201C%1\u201D").arg(QString::fromStdString(text)); }

// One short sentence for a problem of the action, shown under the setting it concerns.
QString problemText(const ChainProblem& problem) {
    using Code = ChainProblem::Code;
    QString text;
    switch (problem.code) {
    case Code::invalidPattern:
        text = QObject::tr("This pattern is not valid: %1").arg(QString::fromStdString(problem.detail));
        if (problem.offset)
            text += QObject::tr(" (at character %1)").arg(*problem.offset + 1);
        text += QObject::tr(". It finds nothing.");
        break;
    case Code::unknownKey:
        text = QObject::tr("Unknown setting %1.").arg(quoted(problem.value));
        break;
    case Code::unknownValue:
        text = QObject::tr("Unknown value %1.").arg(quoted(problem.value));
        break;
    case Code::unknownAttribute:
        text = QObject::tr("Unknown attribute %1.").arg(quoted(problem.value));
        break;
    case Code::unknownItemType:
        text = QObject::tr("Unknown kind of token %1.").arg(quoted(problem.value));
        break;
    case Code::unknownGroup:
        text = QObject::tr("%1 refers to a group the pattern does not have.").arg(QString::fromStdString(problem.value));
        break;
    case Code::notAWholeNumber:
        text = QObject::tr("%1 is not a whole number; %2 is taken instead.")
                   .arg(quoted(problem.value), QString::fromStdString(problem.detail));
        break;
    }
    if (!problem.suggestion.empty())
        text += QObject::tr(" Did you mean %1?").arg(quoted(problem.suggestion));
    return text;
}

} // namespace

void ActionEditor::updateProblems() {
    const auto current = action();
    std::vector<ChainProblem> problems;
    if (current)
        problems = ChainCheck().check(*current);
    QStringList other;
    for (auto& bound : bound_) {
        QStringList texts;
        for (const auto& problem : problems)
            if (problem.key == bound.field.key)
                texts << problemText(problem);
        bound.problem->setText(texts.isEmpty() ? QString() : QStringLiteral("\u26A0 ") + texts.join(QLatin1Char('\n')));
        formLayout_->setRowVisible(bound.problem, !texts.isEmpty() && bound.rowShown);
    }
    for (const auto& problem : problems)
        if (std::none_of(bound_.begin(), bound_.end(), [&](const Bound& b) { return b.field.key == problem.key; }))
            other << problemText(problem);
    otherProblems_->setText(other.isEmpty() ? QString() : QStringLiteral("\u26A0 ") + other.join(QLatin1Char('\n')));
    otherProblems_->setVisible(!other.isEmpty());
}

void ActionEditor::report() {
    debounce_->stop();
    auto current = action();
    if (!current || !original_)
        return;
    if (current->toJson() == original_->toJson() && current->disabled == original_->disabled)
        return;
    original_ = *current;
    // What is shown now is the baseline of the next edit.
    for (auto& bound : bound_)
        bound.shown = widgetValue(bound);
    emit edited(*current);
}

void ActionEditor::changed() {
    updateVisibility();
    updateProblems();
    if (!loading_)
        debounce_->start();
}

void ActionEditor::updateVisibility() {
    for (auto& bound : bound_) {
        if (bound.field.shownWhen.empty())
            continue;
        const auto controller = std::find_if(bound_.begin(), bound_.end(),
                                             [&](const Bound& b) { return b.field.key == bound.field.shownWhen; });
        if (controller == bound_.end())
            continue;
        const auto value = widgetValue(*controller);
        const std::string text = value.is_boolean() ? (value.get<bool>() ? "true" : "false")
                                 : value.is_string() ? value.get<std::string>()
                                                     : std::string();
        const auto& shown = bound.field.shownFor;
        bound.rowShown = std::find(shown.begin(), shown.end(), text) != shown.end();
        formLayout_->setRowVisible(bound.widget, bound.rowShown);
    }
}

void ActionEditor::buildForm(const std::string& type) {
    if (type == formType_)
        return;
    formType_ = type;
    while (formLayout_->rowCount() > 0)
        formLayout_->removeRow(0);
    bound_.clear();
    for (const auto& field : actionFields(type)) {
        QWidget* widget = nullptr;
        const QString label = tr(field.label.data());
        switch (field.kind) {
        case Kind::text: {
            auto* edit = new QLineEdit(form_);
            if (!field.placeholder.empty())
                edit->setPlaceholderText(qs(field.placeholder));
            connect(edit, &QLineEdit::textEdited, this, &ActionEditor::changed);
            widget = edit;
            break;
        }
        case Kind::tokens: {
            auto* edit = new TokenField(form_);
            if (!field.placeholder.empty())
                edit->setPlaceholderText(qs(field.placeholder));
            edit->setToolTip(tr("Insert tokens from the token list; click a token to change its format."));
            connect(edit, &TokenField::tokenStringChanged, this, &ActionEditor::changed);
            if (tokenFieldSetup_)
                tokenFieldSetup_(*edit);
            widget = edit;
            break;
        }
        case Kind::flag: {
            auto* box = new QCheckBox(label, form_);
            connect(box, &QCheckBox::toggled, this, &ActionEditor::changed);
            widget = box;
            break;
        }
        case Kind::choice: {
            auto* combo = new QComboBox(form_);
            for (const auto& [value, text] : field.choices)
                combo->addItem(tr(text.data()), qs(value));
            connect(combo, &QComboBox::currentIndexChanged, this, &ActionEditor::changed);
            widget = combo;
            break;
        }
        case Kind::integer: {
            auto* spin = new QSpinBox(form_);
            spin->setRange(field.minimum, 9999);
            connect(spin, &QSpinBox::valueChanged, this, &ActionEditor::changed);
            widget = spin;
            break;
        }
        case Kind::lookup: {
            auto* panel = new LookupTablePanel(form_);
            connect(panel, &LookupTablePanel::edited, this, &ActionEditor::changed);
            widget = panel;
            break;
        }
        }
        widget->setObjectName(qs(field.key));
        widget->setAccessibleName(label);
        if (field.kind == Kind::flag)
            formLayout_->addRow(QString(), widget);
        else
            formLayout_->addRow(label + QLatin1Char(':'), widget);
        auto* problem = new QLabel(form_);
        problem->setObjectName(qs(field.key) + QStringLiteral("Problem"));
        problem->setWordWrap(true);
        formLayout_->addRow(QString(), problem);
        formLayout_->setRowVisible(problem, false);
        bound_.push_back({field, widget, {}, problem});
    }
    emit actionTypeChanged(qs(formType_));
}

void ActionEditor::showValue(Bound& bound, const Json& stored) {
    const auto& field = bound.field;
    switch (field.kind) {
    case Kind::text:
        static_cast<QLineEdit*>(bound.widget)->setText(stored.is_string() ? qs(stored.get<std::string>()) : QString());
        break;
    case Kind::tokens:
        static_cast<TokenField*>(bound.widget)
            ->setTokenString(stored.is_null() ? TokenString() : TokenString::fromJsonOrPlainString(stored));
        break;
    case Kind::flag:
        static_cast<QCheckBox*>(bound.widget)->setChecked(stored.is_boolean() && stored.get<bool>());
        break;
    case Kind::choice: {
        auto* combo = static_cast<QComboBox*>(bound.widget);
        // A value the form does not offer (a newer or hand-written recipe) is kept as an extra item.
        for (int i = combo->count() - 1; i >= static_cast<int>(field.choices.size()); --i)
            combo->removeItem(i);
        int found = 0;
        if (stored.is_string()) {
            const QString value = qs(stored.get<std::string>());
            found = combo->findData(value);
            if (found < 0) {
                combo->addItem(value, value);
                found = combo->count() - 1;
            }
        }
        combo->setCurrentIndex(found);
        break;
    }
    case Kind::integer:
        static_cast<QSpinBox*>(bound.widget)
            ->setValue(stored.is_number_integer() ? stored.get<int>() : std::max(0, field.minimum));
        break;
    case Kind::lookup: {
        std::vector<LookupTableRow> rows;
        if (stored.is_array())
            for (const auto& row : stored) {
                const auto cell = [&](std::size_t c) {
                    return row.is_array() && row.size() > c && row[c].is_string() ? row[c].get<std::string>()
                                                                                   : std::string();
                };
                rows.push_back({cell(0), cell(1)});
            }
        static_cast<LookupTablePanel*>(bound.widget)->setRows(rows);
        break;
    }
    }
    bound.shown = widgetValue(bound);
}

Json ActionEditor::widgetValue(const Bound& bound) const {
    switch (bound.field.kind) {
    case Kind::text:
        return static_cast<QLineEdit*>(bound.widget)->text().toStdString();
    case Kind::tokens:
        return static_cast<TokenField*>(bound.widget)->tokenString().toJson();
    case Kind::flag:
        return static_cast<QCheckBox*>(bound.widget)->isChecked();
    case Kind::choice:
        return static_cast<QComboBox*>(bound.widget)->currentData().toString().toStdString();
    case Kind::integer:
        return static_cast<QSpinBox*>(bound.widget)->value();
    case Kind::lookup:
        return lookupValue(static_cast<const LookupTablePanel*>(bound.widget)->rows());
    }
    return {};
}

void ActionEditor::setAction(std::optional<Transformer> action) {
    debounce_->stop();
    loading_ = true;
    original_ = std::move(action);
    const bool has = original_.has_value();
    scope_->setEnabled(has);
    enabled_->setEnabled(has);
    description_->setEnabled(has);
    if (!has) {
        title_->setText(tr("No rename action selected"));
        help_->setText(tr("Add a rename action with the Add button or the Actions menu."));
        buildForm({});
        loading_ = false;
        return;
    }
    const auto* info = transformerTypeInfo(original_->type);
    title_->setText(info ? tr(info->title.data()) : qs(original_->type));
    help_->setText(info ? tr(info->helpText.data()) : QString());
    scope_->setCurrentIndex(std::max(0, scope_->findData(qs(rawValue(original_->transformScope)))));
    enabled_->setChecked(!original_->disabled);
    description_->setText(original_->description ? qs(*original_->description) : QString());
    buildForm(original_->type);
    const auto stored = original_->properties.toJson();
    for (auto& bound : bound_) {
        const auto found = stored.find(bound.field.key);
        showValue(bound, found == stored.end() ? Json() : *found);
    }
    updateVisibility();
    updateProblems();
    loading_ = false;
}

std::optional<Transformer> ActionEditor::action() const {
    if (!original_)
        return std::nullopt;
    Transformer result = *original_;
    if (auto scope = transformScopeFromRaw(scope_->currentData().toString().toStdString()))
        result.transformScope = *scope;
    result.disabled = !enabled_->isChecked();
    const QString description = description_->text();
    if (!description.isEmpty() || original_->description)
        result.description = description.toStdString();
    Json properties = original_->properties.toJson();
    for (const auto& bound : bound_) {
        Json value = widgetValue(bound);
        if (value != bound.shown)
            properties[std::string(bound.field.key)] = std::move(value);
    }
    auto decoded = TransformerProperties::fromJson(properties);
    if (decoded.ok())
        result.properties = std::move(decoded).value();
    return result;
}

} // namespace quillory::gui
