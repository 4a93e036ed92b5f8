#include "editor/retentionchoice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QSpinBox>

#include "archiving/runtask.h"
#include "language/translateform.h"
#include "widgets/formkit.h"
#include "widgets/radiogroup.h"

namespace kv {

RetentionChoice::RetentionChoice(QWidget* parent, const EditorTexts& texts)
    : texts_(texts),
      rule_(named(new RadioGroup(parent), "RadioGroup5")),
      number_(named(new QSpinBox(parent), "SpinEdit3")),
      unit_(makeLabel(parent, "Label13", QString())) {
    rule_->setCaption(QStringLiteral("  Хранить архивы с датой  "));
    rule_->setItems(
        {QStringLiteral("все"), QStringLiteral("последние"), QStringLiteral("не старше")});
    rule_->setColumns(3);
    unit_->setProperty(kLiveText, true);  // "archives" or "days", from the message table
    rule_->setToolTip(
        QStringLiteral("Какие архивы с датой в имени остаются после удачного запуска"));
    number_->setRange(Retention::kMin, std::max(Retention::kMaxCount, Retention::kMaxDays));
    for (QWidget* w : {static_cast<QWidget*>(number_), static_cast<QWidget*>(unit_)}) {
        QSizePolicy p = w->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        w->setSizePolicy(p);
    }
    show({});
}

QHBoxLayout* RetentionChoice::row() const {
    auto* row = new QHBoxLayout;
    row->addWidget(rule_, 1);
    row->addWidget(number_);
    row->addWidget(unit_);
    return row;
}

void RetentionChoice::show(const Retention& retention) {
    value_ = retention;
    rule_->setItemIndex(int(retention.rule));
    showNumber();
}

void RetentionChoice::setDated(int vidNameArh) {
    const bool dated = archiveNameIsDated(vidNameArh);
    for (QWidget* w : {static_cast<QWidget*>(rule_), static_cast<QWidget*>(number_),
                       static_cast<QWidget*>(unit_)}) {
        w->setEnabled(dated);
    }
}

void RetentionChoice::ruleChosen() {
    value_.rule = KeepRule(qMax(0, rule_->itemIndex()));
    showNumber();
}

void RetentionChoice::numberChanged() {
    if (value_.rule == KeepRule::Newest) {
        value_.count = number_->value();
    } else if (value_.rule == KeepRule::YoungerThan) {
        value_.days = number_->value();
    }
}

void RetentionChoice::showNumber() {
    const bool newest = value_.rule == KeepRule::Newest;
    const QSignalBlocker quiet(number_);
    number_->setMaximum(newest ? Retention::kMaxCount : Retention::kMaxDays);
    number_->setValue(newest ? value_.count : value_.days);
    unit_->setText(texts_.text(newest ? Form2Text::ct5 : Form2Text::ct6));
    number_->setVisible(!value_.keepsAll());
    unit_->setVisible(!value_.keepsAll());
}

}  // namespace kv
