#include "widgets/labelededit.h"

#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

LabeledEdit::LabeledEdit(QWidget* parent)
    : QWidget(parent), label_(new QLabel(this)), edit_(new QLineEdit(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(label_);
    layout->addWidget(edit_);
    label_->setBuddy(edit_);
    setFocusProxy(edit_);
    label_->installEventFilter(this);
    edit_->installEventFilter(this);
    connect(edit_, &QLineEdit::textChanged, this, &LabeledEdit::textChanged);
}

QString LabeledEdit::caption() const {
    return label_->text();
}

void LabeledEdit::setCaption(const QString& caption) {
    label_->setText(caption);
}

QString LabeledEdit::hint() const {
    return edit_->toolTip();
}

void LabeledEdit::setHint(const QString& hint) {
    edit_->setToolTip(hint);
}

QString LabeledEdit::text() const {
    return edit_->text();
}

void LabeledEdit::setText(const QString& text) {
    edit_->setText(text);
}

int LabeledEdit::maxLength() const {
    return edit_->maxLength();
}

void LabeledEdit::setMaxLength(int length) {
    edit_->setMaxLength(length);
}

bool LabeledEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        Q_EMIT doubleClicked();
    } else if (watched == edit_ && event->type() == QEvent::FocusOut) {
        // Leaving the window or opening a menu is no exit: focus comes back to the edit.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            Q_EMIT exited();
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kv
