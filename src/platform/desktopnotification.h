#pragma once

#include <QString>
#include <functional>

namespace kv {

// A notification on the desktop.
struct DesktopNotice {
    QString title;
    QString text;
    // Urgent, with a warning icon: it stays until the user dismisses it. Else of normal urgency,
    // with an information icon.
    bool warning = true;
    // Runs when the user clicks the notification; none: the click only dismisses it.
    std::function<void()> onClicked;
};

// Shows `notice` on the desktop: org.freedesktop.Notifications.Notify on the session bus. The
// call goes out without waiting for the answer. `notShown` runs when nothing took the
// notification: at once when there is no session bus, later (from the event loop) when the call
// fails, as it does when no notification service is there.
void showDesktopNotification(const DesktopNotice& notice, const std::function<void()>& notShown);

}  // namespace kv
