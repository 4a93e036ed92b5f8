#include "archiving/desktoprunobserver.h"

#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QtDebug>

#include "platform/desktopnotification.h"
#include "platform/messagebox.h"
#include "platform/poweroff.h"

namespace kv {

DesktopRunObserver::DesktopRunObserver(const MainWindowTexts* texts,
                                       std::function<QSystemTrayIcon*()> shownTray, QWidget* window,
                                       QObject* parent)
    : QObject(parent),
      texts_(texts),
      shownTray_(std::move(shownTray)),
      window_(window),
      previous_(runObserver()) {
    setRunObserver(this);
}

DesktopRunObserver::~DesktopRunObserver() {
    setRunObserver(previous_);
    delete countdown_;
    delete noticeBox_;
}

void DesktopRunObserver::tell(const QString& title, const QString& text) {
    show(title, text, true);
}

void DesktopRunObserver::announce(const QString& title, const QString& text) {
    show(title, text, false);
}

void DesktopRunObserver::show(const QString& title, const QString& text, bool warning) {
    QSystemTrayIcon* tray = shownTray_ ? shownTray_() : nullptr;
    if (tray && QSystemTrayIcon::supportsMessages()) {
        tray->showMessage(title, text,
                          warning ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
        return;
    }
    showDesktopNotification({title, text, warning, {}},
                            [self = QPointer(this), title, text, warning] {
                                if (self) {
                                    self->showInWindow(title, text, warning);
                                }
                            });
}

QMessageBox* DesktopRunObserver::noticeBox() const {
    return noticeBox_;
}

void DesktopRunObserver::showInWindow(const QString& title, const QString& text, bool warning) {
    if (noticeBox_) {
        noticeBox_->setText(noticeBox_->text() + QStringLiteral("\n\n") + title + u'\n' + text);
        return;
    }
    noticeBox_ = new QMessageBox(warning ? QMessageBox::Warning : QMessageBox::Information, title,
                                 text, QMessageBox::Ok, window_);
    noticeBox_->setWindowModality(Qt::NonModal);
    noticeBox_->setAttribute(Qt::WA_DeleteOnClose);
    noticeBox_->show();
}

void DesktopRunObserver::powerOffRequested() {
    if (countdown_) {
        return;  // already counting down
    }
    countdown_ = new PowerOffCountdown(*texts_);
    countdown_->setAttribute(Qt::WA_DeleteOnClose);
    connect(countdown_, &PowerOffCountdown::expired, this, &DesktopRunObserver::countdownExpired);
    countdown_->start();
}

void DesktopRunObserver::countdownExpired() {
    if (programsRunning() > 0) {
        // An archiver started during the count: its archive is not cut short.
        powerOffWhenRunsEnd();
        return;
    }
    const QString refused = texts_->text(Form1Text::cm24);
    requestPowerOff([refused](const QString& reason) {
        messageBox(refused.arg(reason), QString(), MbButtons::Ok, MbIcon::Warning);
    });
}

}  // namespace kv
