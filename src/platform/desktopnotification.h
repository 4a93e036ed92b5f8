#pragma once

#include <QString>
#include <functional>

namespace kv {

// Shows a notification on the desktop: org.freedesktop.Notifications.Notify on the session bus,
// as urgent (it stays until the user dismisses it). The call goes out without waiting for the
// answer. `notShown` runs when nothing took the notification: at once when there is no session
// bus, later (from the event loop) when the call fails, as it does when no notification
// service is there.
void showDesktopNotification(const QString& title, const QString& text,
                             const std::function<void()>& notShown);

}  // namespace kv
