#include "platform/sleepinhibitor.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QtDebug>

namespace kv {

SleepInhibitor::SleepInhibitor(QObject* parent) : QObject(parent) {}

SleepInhibitor::~SleepInhibitor() = default;

void SleepInhibitor::hold(const QString& why) {
    wanted_ = why;
    settle();
}

void SleepInhibitor::release() {
    wanted_.reset();
    settle();
}

void SleepInhibitor::settle() {
    if (pending_) {
        return;  // the answer settles again
    }
    if (!wanted_) {
        lock_ = QDBusUnixFileDescriptor();
        asked_.reset();
        return;
    }
    if (asked_ == wanted_) {
        return;
    }
    asked_ = wanted_;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QCoreApplication::applicationName() << *wanted_
         << QStringLiteral("block");
    pending_ = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(pending_, &QDBusPendingCallWatcher::finished, this, &SleepInhibitor::answered);
}

void SleepInhibitor::answered(QDBusPendingCallWatcher* call) {
    pending_ = nullptr;
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *call;
    if (reply.isError()) {
        qWarning("kelvotrin: the computer may suspend during the run: %s",
                 qPrintable(reply.error().message()));
    } else {
        // The lock held before, if any, closes here, once the new one holds.
        lock_ = reply.value();
    }
    call->deleteLater();
    settle();
}

}  // namespace kv
