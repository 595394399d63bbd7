#pragma once

#include <QDBusConnection>

namespace pastiq {

// The desktop notification that says Pastiq is running where no tray icon can say it: sent
// once at start over org.freedesktop.Notifications, and only when a notification server runs
// or the bus can start one.
class StartNotification {
  public:
    static constexpr const char* kService = "org.freedesktop.Notifications";

    // False when there is no server to show it.
    static bool send(const QDBusConnection& bus);
};

}  // namespace pastiq
