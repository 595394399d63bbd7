#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>

class QScreen;

namespace pastiq {

// Whether Pastiq's tray icon can be seen, watched rather than polled. Qt picks the icon's kind
// once per process: a StatusNotifierItem when a StatusNotifierWatcher (org.kde...) is on the
// session bus at start, else an XEmbed icon docked into whoever owns the _NET_SYSTEM_TRAY_S<n>
// selection. So the icon is visible while that one kind of tray is there: the bus reports the
// watcher's name coming and going, and Qt's xcb plugin, which follows the tray selection's
// owner for its own icons, reports every change of it.
class TrayAvailability final : public QObject {
    Q_OBJECT

  public:
    static constexpr const char* kWatcherService = "org.kde.StatusNotifierWatcher";

    explicit TrayAvailability(const QDBusConnection& bus, QObject* parent = nullptr);

    [[nodiscard]] bool isAvailable() const { return isAvailable_; }
    // True when the icon is a StatusNotifierItem, chosen because a watcher ran at start.
    [[nodiscard]] bool usesStatusNotifier() const { return usesStatusNotifier_; }

  Q_SIGNALS:
    void availabilityChanged(bool available);
    // A watcher arrived while the icon is an XEmbed one: only a new process can use it.
    void statusNotifierAppeared();

  private Q_SLOTS:
    // Connected by name: the signal belongs to the xcb plugin's native interface.
    void handleTrayWindowChange(QScreen* screen);

  private:
    void handleWatcherChange();
    void recheck();
    [[nodiscard]] bool hasWatcher() const;
    [[nodiscard]] static bool hasXEmbedTray();
    void followXEmbedTray();

    QDBusConnection bus_;
    QDBusServiceWatcher watcher_;
    bool usesStatusNotifier_ = false;
    bool isAvailable_ = false;
};

}  // namespace pastiq
