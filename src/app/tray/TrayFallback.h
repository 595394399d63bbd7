#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <memory>
#include <optional>

#include "model/Signal.h"

namespace pastiq {

class LauncherPanel;
class OverlayController;
class SessionController;
class TrayController;
class SystemHelpers;
class TrayAvailability;
class WindowSystem;

// Keeps Pastiq reachable where the desktop shows no tray icons: the launcher panel opens the
// tray's own menu, and a notification at start says where Pastiq is. A tray that appears
// later takes over and the launcher hides; one that goes away hands back to it. Main thread
// only.
class TrayFallback final : public QObject {
    Q_OBJECT

  public:
    TrayFallback(const QDBusConnection& bus, TrayController& tray, OverlayController& overlay,
                 std::shared_ptr<SessionController> sessionController, SystemHelpers& helpers,
                 WindowSystem& windows, QObject* parent = nullptr);
    ~TrayFallback() override;

    [[nodiscard]] bool isTrayAvailable() const;
    [[nodiscard]] LauncherPanel* launcher() const { return launcher_.get(); }

  Q_SIGNALS:
    void trayAvailabilityChanged(bool available);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void applyAvailability(bool available);
    void refreshLauncher();
    void placeLauncher();
    void watchOverlay();
    void restartWhenIdle();

    QDBusConnection bus_;
    TrayController& tray_;
    OverlayController& overlay_;
    std::shared_ptr<SessionController> sessionController_;
    SystemHelpers& helpers_;
    std::unique_ptr<TrayAvailability> availability_;
    std::unique_ptr<LauncherPanel> launcher_;
    QPointer<QObject> watchedOverlay_;
    std::optional<QPoint> chosenPosition_;
    bool isRestartPending_ = false;

    // Declared last so it is cancelled first.
    Subscription sessionSubscription_;
};

}  // namespace pastiq
