#pragma once

#include "editor/form2texts.h"
#include "store/taskextras.h"

class QHBoxLayout;
class QLabel;
class QSpinBox;
class QWidget;

namespace kv {

class RadioGroup;

// The task editor's choice of which dated archives a task keeps: the rule (all, the newest, the
// younger than), one number for it and its unit, "archives" or "days" (texts ct5, ct6). The
// number shows the value of the rule chosen; the other rule's value is kept for when it is chosen
// again. Only a task whose archive names carry a date has a choice.
class RetentionChoice {
public:
    // Makes the controls, named RadioGroup5, SpinEdit3 and Label13, children of `parent`.
    RetentionChoice(QWidget* parent, const EditorTexts& texts);

    RadioGroup* rule() const { return rule_; }
    QSpinBox* number() const { return number_; }
    QLabel* unit() const { return unit_; }
    // The three in one row.
    QHBoxLayout* row() const;

    void show(const Retention& retention);
    const Retention& value() const { return value_; }
    // Whether the task's archive names carry a date (VidNameArh).
    void setDated(int vidNameArh);

    // Handlers: the user chose another rule, or another number.
    void ruleChosen();
    void numberChanged();

private:
    void showNumber();

    const EditorTexts& texts_;
    RadioGroup* rule_;
    QSpinBox* number_;
    QLabel* unit_;
    Retention value_;
};

}  // namespace kv
