#include "platform/poweroff.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace kv {

void requestPowerOff(const std::function<void(const QString& reason)>& onRefused) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        onRefused(bus.lastError().message());
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
    call << true;  // interactive
    // The user may take a while to answer an authorisation request.
    constexpr int kAnswerTimeoutMs = 10 * 60 * 1000;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAnswerTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [onRefused](QDBusPendingCallWatcher* w) {
                         if (w->isError()) {
                             onRefused(w->error().message());
                         }
                         w->deleteLater();
                     });
}

}  // namespace kv
