#include "widgets/formkit.h"

#include <QCheckBox>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <algorithm>

#include "widgets/buttonglyphs.h"
#include "widgets/labelededit.h"

namespace kv {
namespace {

class FirstShow : public QObject {
public:
    FirstShow(QWidget* window, std::function<void()> handler)
        : QObject(window), handler_(std::move(handler)) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            deleteLater();
            const std::function<void()> handler = std::move(handler_);
            runReportingErrors(handler);
        }
        return false;
    }

private:
    std::function<void()> handler_;
};

}  // namespace

void FormButton::setRoom(QSize room) {
    room_ = room;
    updateGeometry();
}

QSize FormButton::sizeHint() const {
    return QPushButton::sizeHint() + room_;
}

FormButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                       QStyle::StandardPixmap picture, const QString& hint) {
    auto* b = named(new FormButton(caption, parent), name);
    if (picture != QStyle::SP_CustomBase) {
        b->setIcon(buttonGlyph(picture));
    }
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption) {
    return named(new QLabel(caption, parent), name);
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption) {
    return named(new QCheckBox(caption, parent), name);
}

LabeledEdit* makeEdit(QWidget* parent, const char* name, const QString& caption, int maxLength) {
    auto* e = named(new LabeledEdit(parent), name);
    e->setCaption(caption);
    e->setMaxLength(maxLength);
    return e;
}

QHBoxLayout* rowOf(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    for (QWidget* w : widgets) {
        row->addWidget(w);
    }
    row->addStretch(1);
    return row;
}

void centreOnScreen(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect free = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    window->move(free.center() - window->rect().center());
}

void keepBottomOnScreen(QWidget* window) {
    if (!window->isVisible() || !window->screen()) {
        return;
    }
    const QRect free = window->screen()->availableGeometry();
    const QRect frame = window->frameGeometry();
    if (frame.bottom() > free.bottom()) {
        window->move(window->x(),
                     std::max(free.top(), window->y() - (frame.bottom() - free.bottom())));
    }
}

void onFirstShow(QWidget* window, std::function<void()> handler) {
    new FirstShow(window, std::move(handler));
}

}  // namespace kv
