#pragma once

#include <QString>

namespace kv {

// Shows a notification on the desktop: org.freedesktop.Notifications.Notify on the session bus,
// as urgent (it stays until the user dismisses it). Returns false when there is no session bus
// to send it on; otherwise the call goes out without waiting for the answer, and a refusal is
// only written to the session's log.
bool showDesktopNotification(const QString& title, const QString& text);

}  // namespace kv
