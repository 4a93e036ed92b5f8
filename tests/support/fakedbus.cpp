#include "support/fakedbus.h"

#include <QDBusError>

namespace kv::test {

PrivateBus::PrivateBus() {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address")});
    if (!daemon_.waitForStarted(10000)) {
        return;
    }
    while (!daemon_.canReadLine() && daemon_.waitForReadyRead(10000)) {
    }
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
}

PrivateBus::~PrivateBus() {
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        if (!daemon_.waitForFinished(5000)) {
            daemon_.kill();
            daemon_.waitForFinished(5000);
        }
    }
}

void PrivateBus::standInForSessionAndSystemBus() const {
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address_.toUtf8());
}

FakeLogind::FakeLogind(const QString& busAddress)
    : bus_(QDBusConnection::connectToBus(busAddress, QStringLiteral("fake-logind"))) {
    registered_ = bus_.registerObject(QStringLiteral("/org/freedesktop/login1"), this,
                                      QDBusConnection::ExportAllSlots) &&
                  bus_.registerService(QStringLiteral("org.freedesktop.login1"));
}

FakeLogind::~FakeLogind() {
    bus_.unregisterObject(QStringLiteral("/org/freedesktop/login1"));
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-logind"));
}

void FakeLogind::PowerOff(bool interactive) {
    powerOffCalls.append(interactive);
    if (!refusal.isEmpty()) {
        sendErrorReply(QDBusError::AccessDenied, refusal);
    }
}

FakeNotifications::FakeNotifications(const QString& busAddress)
    : bus_(QDBusConnection::connectToBus(busAddress, QStringLiteral("fake-notifications"))) {
    registered_ = bus_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                      QDBusConnection::ExportAllSlots) &&
                  bus_.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

FakeNotifications::~FakeNotifications() {
    bus_.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-notifications"));
}

uint FakeNotifications::Notify(const QString& application, uint, const QString&,
                               const QString& title, const QString& text, const QStringList&,
                               const QVariantMap& hints, int) {
    received.append({application, title, text, hints});
    return uint(received.size());
}

}  // namespace kv::test
