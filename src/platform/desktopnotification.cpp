#include "platform/desktopnotification.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <QtDebug>

namespace kv {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kDefaultAction = QStringLiteral("default");

// The clicks on the notifications shown with a click handler, by their id on the service, until
// they close.
class Clicks final : public QObject {
    Q_OBJECT
public:
    static Clicks& instance() {
        static Clicks* clicks = new Clicks(QCoreApplication::instance());
        return *clicks;
    }

    void expect(uint id, std::function<void()> onClicked) {
        if (!listening_) {
            QDBusConnection bus = QDBusConnection::sessionBus();
            listening_ =
                bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                            SLOT(actionInvoked(uint, QString))) &&
                bus.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                            SLOT(notificationClosed(uint, uint)));
        }
        handlers_.insert(id, std::move(onClicked));
    }

private Q_SLOTS:
    void actionInvoked(uint id, const QString& action) {
        const auto it = handlers_.constFind(id);
        if (action == kDefaultAction && it != handlers_.cend()) {
            const std::function<void()> onClicked = *it;
            onClicked();
        }
    }
    void notificationClosed(uint id, uint) { handlers_.remove(id); }

private:
    using QObject::QObject;
    bool listening_ = false;
    QHash<uint, std::function<void()>> handlers_;
};

}  // namespace

void showDesktopNotification(const DesktopNotice& notice, const std::function<void()>& notShown) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        notShown();
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    const QVariantMap hints{
        {QStringLiteral("urgency"), QVariant::fromValue(uchar(notice.warning ? 2 : 1))}};
    // The default action is the click on the notification itself; it has no caption of its own.
    const QStringList actions =
        notice.onClicked ? QStringList{kDefaultAction, QString()} : QStringList();
    call << QCoreApplication::applicationName() << uint(0)
         << (notice.warning ? QStringLiteral("dialog-warning")
                            : QStringLiteral("dialog-information"))
         << notice.title << notice.text << actions << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [notShown, onClicked = notice.onClicked](QDBusPendingCallWatcher* w) {
                         const QDBusPendingReply<uint> reply = *w;
                         if (reply.isError()) {
                             qWarning("kelvotrin: desktop notification refused: %s",
                                      qPrintable(reply.error().message()));
                             notShown();
                         } else if (onClicked) {
                             Clicks::instance().expect(reply.value(), onClicked);
                         }
                         w->deleteLater();
                     });
}

}  // namespace kv

#include "desktopnotification.moc"
