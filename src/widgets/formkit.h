#pragma once

#include <QPushButton>
#include <QStyle>
#include <functional>
#include <initializer_list>
#include <utility>

#include "platform/messagebox.h"

class QCheckBox;
class QHBoxLayout;
class QLabel;

namespace kv {

class LabeledEdit;

// The small parts every window is made of: controls named for the translation (their object
// names are the names of the design) and dressed alike, handlers wired through one guard, the
// activation at the first show.

// The spacing of the windows whose rows of buttons leave room around the captions: the margin
// around the controls, the gap between them and the room in each button.
inline constexpr int kFormMargin = 8;
inline constexpr int kFormGap = 6;
inline constexpr QSize kButtonRoom{8, 4};

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A window's push button. Its size hint leaves `room` more than its caption and picture need
// (none unless set): windows that line their buttons up in rows give them room around the text.
class FormButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;
    void setRoom(QSize room);
    QSize sizeHint() const override;

private:
    QSize room_{0, 0};
};

// A button with `caption`, the drawn picture of `picture` unless that is SP_CustomBase, and
// `hint` as its tooltip. Enter in a field of the window never presses it.
FormButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                       QStyle::StandardPixmap picture = QStyle::SP_CustomBase,
                       const QString& hint = {});
QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption);
QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption);
// A labelled edit that takes at most `maxLength` characters: the width of the field it fills.
LabeledEdit* makeEdit(QWidget* parent, const char* name, const QString& caption, int maxLength);

// `widgets` side by side from the left; the rest of the row stays empty.
QHBoxLayout* rowOf(std::initializer_list<QWidget*> widgets);

// Runs a handler and deals with the Error that ends it.
using HandlerGuard = std::function<void(const std::function<void()>&)>;

// Runs the handler `handler` of `window` whenever `sender` emits `signal`, with the signal's
// arguments that the handler takes, inside `guard`: by default the general error report.
template <typename Sender, typename Signal, typename Window, typename... Args>
void connectHandler(Sender* sender, Signal signal, Window* window, void (Window::*handler)(Args...),
                    HandlerGuard guard = runReportingErrors) {
    QObject::connect(sender, signal, window,
                     [window, handler, guard = std::move(guard)](Args... args) {
                         guard([&] { (window->*handler)(args...); });
                     });
}

// Runs the handler paired with each button when that button is clicked, inside `guard`.
template <typename Window>
void connectClicks(Window* window,
                   std::initializer_list<std::pair<QPushButton*, void (Window::*)()>> buttons,
                   const HandlerGuard& guard = runReportingErrors) {
    for (const auto& [button, handler] : buttons) {
        connectHandler(button, &QPushButton::clicked, window, handler, guard);
    }
}

// Puts `window` in the middle of the primary screen's free area.
void centreOnScreen(QWidget* window);
// Moves a shown `window` up as far as its frame reaches below its screen's free area.
void keepBottomOnScreen(QWidget* window);

// Runs `handler` once, when `window` is shown for the first time (before the window's own show
// handling), inside the general error report: a window's activation, which the message boxes
// and dialogs it opens later do not repeat.
void onFirstShow(QWidget* window, std::function<void()> handler);

}  // namespace kv
