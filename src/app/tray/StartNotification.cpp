#include "app/tray/StartNotification.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

#include "app/AppId.h"

namespace pastiq {

namespace {

// Shown until the user dismisses it: a first start is when this is read.
constexpr int kNeverExpires = 0;

bool hasServer(const QDBusConnection& bus) {
    const QDBusConnectionInterface* busInterface = bus.interface();
    if (busInterface == nullptr) {
        return false;
    }
    const QString service = QString::fromLatin1(StartNotification::kService);
    return busInterface->isServiceRegistered(service).value() ||
           busInterface->activatableServiceNames().value().contains(service);
}

}  // namespace

bool StartNotification::send(const QDBusConnection& bus) {
    if (!hasServer(bus)) {
        return false;
    }
    const QString service = QString::fromLatin1(kService);
    QDBusMessage notify =
        QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/Notifications"),
                                       service, QStringLiteral("Notify"));
    notify.setArguments({
        QStringLiteral("Pastiq"),
        0U,  // replaces no earlier notification
        QString::fromLatin1(kAppId),
        QStringLiteral("Pastiq is running"),
        QStringLiteral("This desktop shows no tray icons, so Pastiq shows a small button at the "
                       "top right of the screen. To start a session, select a list and press "
                       "Ctrl+Alt+C, or click the button for the menu."),
        QStringList(),
        QVariantMap{{QStringLiteral("desktop-entry"), QString::fromLatin1(kAppId)}},
        kNeverExpires,
    });
    // Not waited for: a slow server must not hold up the start.
    return bus.send(notify);
}

}  // namespace pastiq
