#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>
#include <optional>

class QDBusPendingCallWatcher;

namespace kv {

// Keeps the computer from suspending, by the user's hand or when idle, while it is held: a lock
// of logind (org.freedesktop.login1.Manager.Inhibit on the system bus: what "sleep:idle", mode
// "block", who the application's name, why as the holder says). The lock lasts while its file
// descriptor is open. Everything goes out without waiting: logind answers on the event loop.
// Without a system bus, or when logind refuses, nothing is held and nothing else changes; a
// refusal goes to the session's log.
class SleepInhibitor final : public QObject {
public:
    explicit SleepInhibitor(QObject* parent = nullptr);
    ~SleepInhibitor() override;  // releases the lock

    // Holds the lock with the reason `why`. A lock held for another reason is replaced: the new
    // one is taken first and the old one let go once logind has answered, so that the computer
    // is never left unguarded in between.
    void hold(const QString& why);
    void release();

private:
    // Brings the lock in line with what is wanted, one call to logind at a time.
    void settle();
    void answered(QDBusPendingCallWatcher* call);

    std::optional<QString> wanted_;
    std::optional<QString> asked_;  // the reason last asked for, whatever the answer
    QDBusUnixFileDescriptor lock_;
    QDBusPendingCallWatcher* pending_ = nullptr;
};

}  // namespace kv
