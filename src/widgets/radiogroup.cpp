#include "widgets/radiogroup.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QGridLayout>
#include <QRadioButton>

namespace kv {

RadioGroup::RadioGroup(QWidget* parent)
    : QGroupBox(parent), group_(new QButtonGroup(this)), layout_(new QGridLayout(this)) {
    connect(group_, &QButtonGroup::idClicked, this, [this](int id) {
        if (id != index_) {
            index_ = id;
            Q_EMIT activated(id);
        }
    });
}

void RadioGroup::setItems(const QStringList& items) {
    qDeleteAll(buttons_);
    buttons_.clear();
    index_ = -1;
    for (const QString& text : items) {
        auto* button = new QRadioButton(text, this);
        button->installEventFilter(this);
        group_->addButton(button, int(buttons_.size()));
        buttons_.append(button);
    }
    arrange();
}

QStringList RadioGroup::items() const {
    QStringList out;
    for (const QRadioButton* b : buttons_) {
        out.append(b->text());
    }
    return out;
}

QString RadioGroup::item(int index) const {
    return index >= 0 && index < count() ? buttons_[index]->text() : QString();
}

void RadioGroup::setItem(int index, const QString& text) {
    if (index >= 0 && index < count()) {
        buttons_[index]->setText(text);
    }
}

void RadioGroup::setItemIndex(int index) {
    if (index < 0 || index >= count()) {
        index = -1;
    }
    index_ = index;
    if (index >= 0) {
        buttons_[index]->setChecked(true);
    } else if (QAbstractButton* checked = group_->checkedButton()) {
        // An exclusive group cannot uncheck its last button.
        group_->setExclusive(false);
        checked->setChecked(false);
        group_->setExclusive(true);
    }
}

void RadioGroup::setColumns(int columns) {
    columns_ = qMax(1, columns);
    arrange();
}

void RadioGroup::arrange() {
    for (QRadioButton* b : buttons_) {
        layout_->removeWidget(b);
    }
    const int rows = int((buttons_.size() + columns_ - 1) / columns_);
    for (int i = 0; i < buttons_.size(); ++i) {
        layout_->addWidget(buttons_[i], i % rows, i / rows);
    }
}

bool RadioGroup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Leaving the window or opening a menu is no exit: focus comes back to the same button.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        QWidget* next = QApplication::focusWidget();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            (next == nullptr || !isAncestorOf(next))) {
            Q_EMIT exited();
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

}  // namespace kv
