#pragma once

#include <QString>
#include <functional>

namespace kv {

// Asks logind to power the machine off: org.freedesktop.login1.Manager.PowerOff on the system
// bus, interactive, so that polkit may ask the user to allow it. Returns at once. When the call
// fails or is refused, `onRefused` runs with the reason: from the event loop, or at once when
// there is no system bus.
void requestPowerOff(const std::function<void(const QString& reason)>& onRefused);

}  // namespace kv
