#include "app/tray/TrayAvailability.h"

#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QTimer>

namespace pastiq {

TrayAvailability::TrayAvailability(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus) {
    watcher_.setConnection(bus_);
    watcher_.setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    watcher_.setWatchedServices({QString::fromLatin1(kWatcherService)});
    connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &TrayAvailability::handleWatcherChange);
    usesStatusNotifier_ = hasWatcher();
    if (!usesStatusNotifier_) {
        followXEmbedTray();
    }
    isAvailable_ = usesStatusNotifier_ || hasXEmbedTray();
}

void TrayAvailability::followXEmbedTray() {
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (native == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return;
    }
    // Qt's public headers only declare the native interface; it is a plain QObject subclass,
    // and its signal is reached by name as Qt's own XEmbed tray icon reaches it.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast)
    auto* nativeObject = reinterpret_cast<QObject*>(native);
    connect(nativeObject, SIGNAL(systemTrayWindowChanged(QScreen*)), this,
            SLOT(handleTrayWindowChange(QScreen*)));
}

void TrayAvailability::handleTrayWindowChange(QScreen* /*screen*/) {
    recheck();
}

void TrayAvailability::handleWatcherChange() {
    if (usesStatusNotifier_) {
        recheck();
    } else if (hasWatcher() && !hasXEmbedTray()) {
        Q_EMIT statusNotifierAppeared();
    }
}

void TrayAvailability::recheck() {
    const bool available = usesStatusNotifier_ ? hasWatcher() : hasXEmbedTray();
    if (available != isAvailable_) {
        isAvailable_ = available;
        Q_EMIT availabilityChanged(available);
    }
}

bool TrayAvailability::hasWatcher() const {
    const QDBusConnectionInterface* busInterface = bus_.interface();
    return busInterface != nullptr &&
           busInterface->isServiceRegistered(QString::fromLatin1(kWatcherService)).value();
}

// Asking also makes the xcb plugin start following the tray selection's owner, and it answers
// from the owner it follows.
bool TrayAvailability::hasXEmbedTray() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

}  // namespace pastiq
