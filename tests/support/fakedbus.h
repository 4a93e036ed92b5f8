#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusUnixFileDescriptor>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

namespace kv::test {

// A message bus of the test's own: a dbus-daemon with the session configuration, started by the
// constructor and stopped by the destructor. address() is empty when it could not be started
// (the package dbus-daemon is missing).
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    QString address() const { return address_; }
    // Makes it the session bus and the system bus of this process. Only before the process
    // first uses either: Qt keeps the connections it made.
    void standInForSessionAndSystemBus() const;

private:
    QProcess daemon_;
    QString address_;
};

// A service of the desktop stood in for on a private bus: its object on a connection of its own,
// under the service's well-known name.
class FakeService : public QObject {
public:
    ~FakeService() override;
    bool registered() const { return registered_; }
    QString uniqueName() const { return bus_.baseService(); }

    // Its own connection: calls through it reach the program's objects as the desktop's would.
    QDBusConnection& connection() { return bus_; }

protected:
    FakeService(const QString& busAddress, const QString& connectionName);
    // From the derived constructor, once the object's slots (and `options`) are there to export.
    void publish(const QString& service, const QString& path,
                 QDBusConnection::RegisterOptions options = QDBusConnection::ExportAllSlots);
    // Sends a signal of the service's object.
    void emitSignal(const QString& interface, const QString& name, const QVariantList& arguments);

private:
    QString connectionName_;
    QString path_;
    QDBusConnection bus_;
    bool registered_ = false;
};

// logind's manager: records PowerOff calls, refuses them when told to, and hands out inhibitor
// locks whose release it can see. Never powers anything off, nor keeps anything awake.
class FakeLogind final : public FakeService, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    explicit FakeLogind(const QString& busAddress);
    ~FakeLogind() override;

    QList<bool> powerOffCalls;  // the interactive argument of each call
    QString refusal;            // when not empty, PowerOff calls are answered with this error

    struct Lock {
        QString what;
        QString who;
        QString why;
        QString mode;
        int watch = -1;  // the read end of a pipe whose write end is the lock
    };
    QList<Lock> locks;  // every Inhibit call, in order
    // Whether the lock of Inhibit call `index` is still held: its descriptor is open somewhere.
    bool held(qsizetype index) const;

public Q_SLOTS:
    void PowerOff(bool interactive);
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode);
};

// The desktop's notification service: records every notification; the id of each is its
// position in `received` plus one.
class FakeNotifications final : public FakeService {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit FakeNotifications(const QString& busAddress);

    struct Notice {
        QString application;
        QString title;
        QString text;
        QStringList actions;
        QVariantMap hints;
    };
    QList<Notice> received;

    // The user clicks the notification `id`: its default action is invoked.
    void click(uint id);

public Q_SLOTS:
    uint Notify(const QString& application, uint replacesId, const QString& icon,
                const QString& title, const QString& text, const QStringList& actions,
                const QVariantMap& hints, int timeout);
};

// The desktop's tray host, as KDE Plasma and GNOME's AppIndicator extension run it: a
// StatusNotifierWatcher with a host registered. Records the items that register with it.
class FakeStatusNotifierWatcher final : public FakeService {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
public:
    explicit FakeStatusNotifierWatcher(const QString& busAddress);

    QStringList items;  // the service names of the items, as they registered

    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList registeredItems() const { return items; }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service) { items.append(service); }
};

}  // namespace kv::test
