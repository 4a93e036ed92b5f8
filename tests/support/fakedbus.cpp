#include "support/fakedbus.h"

#include <QDBusError>
#include <QDBusMessage>

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

FakeService::FakeService(const QString& busAddress, const QString& connectionName)
    : connectionName_(connectionName),
      bus_(QDBusConnection::connectToBus(busAddress, connectionName)) {}

void FakeService::publish(const QString& service, const QString& path) {
    path_ = path;
    registered_ = bus_.registerObject(path, this, QDBusConnection::ExportAllSlots) &&
                  bus_.registerService(service);
}

void FakeService::emitSignal(const QString& interface, const QString& name,
                             const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createSignal(path_, interface, name);
    message.setArguments(arguments);
    bus_.send(message);
}

FakeService::~FakeService() {
    bus_.unregisterObject(path_);
    QDBusConnection::disconnectFromBus(connectionName_);
}

FakeLogind::FakeLogind(const QString& busAddress)
    : FakeService(busAddress, QStringLiteral("fake-logind")) {
    publish(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"));
}

void FakeLogind::PowerOff(bool interactive) {
    powerOffCalls.append(interactive);
    if (!refusal.isEmpty()) {
        sendErrorReply(QDBusError::AccessDenied, refusal);
    }
}

FakeNotifications::FakeNotifications(const QString& busAddress)
    : FakeService(busAddress, QStringLiteral("fake-notifications")) {
    publish(QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"));
}

uint FakeNotifications::Notify(const QString& application, uint, const QString&,
                               const QString& title, const QString& text,
                               const QStringList& actions, const QVariantMap& hints, int) {
    received.append({application, title, text, actions, hints});
    return uint(received.size());
}

void FakeNotifications::click(uint id) {
    const QString interface = QStringLiteral("org.freedesktop.Notifications");
    emitSignal(interface, QStringLiteral("ActionInvoked"), {id, QStringLiteral("default")});
    emitSignal(interface, QStringLiteral("NotificationClosed"), {id, 2U});
}

}  // namespace kv::test
