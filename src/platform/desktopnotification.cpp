#include "platform/desktopnotification.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>
#include <QtDebug>

namespace kv {

void showDesktopNotification(const QString& title, const QString& text,
                             const std::function<void()>& notShown) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        notShown();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(uchar(2))}};
    call << QCoreApplication::applicationName() << uint(0) << QStringLiteral("dialog-warning")
         << title << text << QStringList() << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [notShown](QDBusPendingCallWatcher* w) {
                         if (w->isError()) {
                             qWarning("kelvotrin: desktop notification refused: %s",
                                      qPrintable(w->error().message()));
                             notShown();
                         }
                         w->deleteLater();
                     });
}

}  // namespace kv
