// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/ActionFields.h"
#include "model/Transformer.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QTimer;

namespace quillory::gui {

class TokenField;

// The settings of the selected rename action: scope, enable switch, description and a form for the
// action's kind. Edits are collected for a moment and then reported as one change.
class ActionEditor : public QWidget {
    Q_OBJECT
public:
    explicit ActionEditor(QWidget* parent = nullptr);

    // Shows the record (nothing: an empty editor). A pending edit is dropped.
    void setAction(std::optional<Transformer> action);
    // The record as the widgets have it. Settings the user did not touch stay as they were, absent ones
    // absent.
    std::optional<Transformer> action() const;
    const std::optional<Transformer>& shownAction() const { return original_; }

    bool hasPendingEdit() const;
    // Reports a pending edit now.
    void flush();
    void setDebounceInterval(int milliseconds);
    // Runs on every token field the form makes (now and later): catalogue, sample values.
    void setTokenFieldSetup(std::function<void(TokenField&)> setup);
    // The type id of the action the form is for; empty when none is shown.
    const std::string& actionType() const { return formType_; }

signals:
    void edited(const quillory::Transformer& action);
    // The form now edits another kind of action (the palette offers tokens by kind).
    void actionTypeChanged(const QString& typeId);

private:
    struct Bound {
        ActionField field;
        QWidget* widget = nullptr;
        nlohmann::ordered_json shown; // the widget's value when the record was shown
        QLabel* problem = nullptr;    // what the chain check finds in this setting, in the row below it
        bool rowShown = true;         // whether the setting applies with the values chosen now
    };
    void buildForm(const std::string& type);
    nlohmann::ordered_json widgetValue(const Bound& bound) const;
    void showValue(Bound& bound, const nlohmann::ordered_json& stored);
    void changed();
    void report();
    void updateVisibility();
    void updateProblems();

    QLabel* title_;
    QLabel* help_;
    QComboBox* scope_;
    QCheckBox* enabled_;
    QLineEdit* description_;
    QWidget* form_;
    QFormLayout* formLayout_;
    QTimer* debounce_;
    QLabel* otherProblems_; // problems of settings that have no field here
    std::vector<Bound> bound_;
    std::string formType_;
    std::optional<Transformer> original_;
    std::function<void(TokenField&)> tokenFieldSetup_;
    bool loading_ = false;
};

} // namespace quillory::gui
