#include "archiving/desktoprunobserver.h"

#include <QSystemTrayIcon>
#include <QtDebug>

#include "platform/desktopnotification.h"
#include "platform/messagebox.h"
#include "platform/poweroff.h"

namespace kv {

DesktopRunObserver::DesktopRunObserver(const MainWindowTexts* texts,
                                       std::function<QSystemTrayIcon*()> shownTray, QObject* parent)
    : QObject(parent), texts_(texts), shownTray_(std::move(shownTray)), previous_(runObserver()) {
    setRunObserver(this);
}

DesktopRunObserver::~DesktopRunObserver() {
    setRunObserver(previous_);
    delete countdown_;
}

void DesktopRunObserver::runFailed(const QString& title, const QString& text) {
    QSystemTrayIcon* tray = shownTray_ ? shownTray_() : nullptr;
    if (tray && QSystemTrayIcon::supportsMessages()) {
        tray->showMessage(title, text, QSystemTrayIcon::Warning);
        return;
    }
    if (!showDesktopNotification(title, text)) {
        qWarning("kelvotrin: no session bus for the notification: %s: %s", qPrintable(title),
                 qPrintable(text));
    }
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
