#include "support/fakedbus.h"

#include <QDBusError>
#include <QDBusMessage>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

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

void FakeService::publish(const QString& service, const QString& path,
                          QDBusConnection::RegisterOptions options) {
    path_ = path;
    registered_ = bus_.registerObject(path, this, options) && bus_.registerService(service);
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

FakeLogind::~FakeLogind() {
    for (const Lock& lock : locks) {
        ::close(lock.watch);
    }
}

bool FakeLogind::held(qsizetype index) const {
    pollfd watch{locks[index].watch, 0, 0};
    return ::poll(&watch, 1, 0) == 0;  // POLLHUP once the last copy of the lock is closed
}

QDBusUnixFileDescriptor FakeLogind::Inhibit(const QString& what, const QString& who,
                                            const QString& why, const QString& mode) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        sendErrorReply(QDBusError::Failed, QStringLiteral("no pipe"));
        return {};
    }
    locks.append({what, who, why, mode, ends[0]});
    const QDBusUnixFileDescriptor lock(ends[1]);  // a copy of its own
    ::close(ends[1]);
    return lock;
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

FakeStatusNotifierWatcher::FakeStatusNotifierWatcher(const QString& busAddress)
    : FakeService(busAddress, QStringLiteral("fake-statusnotifierwatcher")) {
    publish(QStringLiteral("org.kde.StatusNotifierWatcher"),
            QStringLiteral("/StatusNotifierWatcher"),
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
}

}  // namespace kv::test
