#include "app/tray/TrayFallback.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "app/system/SystemHelpers.h"
#include "app/tray/LauncherPanel.h"
#include "app/tray/LauncherPlacement.h"
#include "app/tray/StartNotification.h"
#include "app/tray/TrayAvailability.h"
#include "app/tray/TrayController.h"
#include "engine/SessionController.h"
#include "overlay/OverlayController.h"
#include "overlay/OverlayPanel.h"

namespace pastiq {

TrayFallback::TrayFallback(const QDBusConnection& bus, TrayController& tray,
                           OverlayController& overlay,
                           std::shared_ptr<SessionController> sessionController,
                           SystemHelpers& helpers, WindowSystem& windows, QObject* parent)
    : QObject(parent),
      bus_(bus),
      tray_(tray),
      overlay_(overlay),
      sessionController_(std::move(sessionController)),
      helpers_(helpers),
      availability_(std::make_unique<TrayAvailability>(bus)),
      launcher_(std::make_unique<LauncherPanel>(windows)) {
    connect(availability_.get(), &TrayAvailability::availabilityChanged, this,
            &TrayFallback::applyAvailability);
    connect(availability_.get(), &TrayAvailability::statusNotifierAppeared, this,
            &TrayFallback::restartWhenIdle);
    connect(&tray_, &TrayController::iconStateChanged, this, &TrayFallback::refreshLauncher);
    connect(launcher_.get(), &LauncherPanel::menuRequested, &tray_, &TrayController::openMenuAt);
    connect(launcher_.get(), &LauncherPanel::movedByUser, this,
            [this](QPoint position) { chosenPosition_ = position; });
    sessionSubscription_ = sessionController_->sessionChanged().subscribe([this] {
        // The overlay is shown after the session is announced.
        QTimer::singleShot(0, this, &TrayFallback::watchOverlay);
        if (isRestartPending_) {
            QTimer::singleShot(0, this, &TrayFallback::restartWhenIdle);
        }
    });
    if (!availability_->isAvailable()) {
        applyAvailability(false);
        // Only at start: a panel that restarts later must not bring it up again.
        StartNotification::send(bus_);
    }
}

TrayFallback::~TrayFallback() = default;

bool TrayFallback::isTrayAvailable() const {
    return availability_->isAvailable();
}

void TrayFallback::applyAvailability(bool available) {
    tray_.setTrayAvailable(available);
    if (available) {
        launcher_->hide();
    } else {
        refreshLauncher();
    }
    Q_EMIT trayAvailabilityChanged(available);
}

void TrayFallback::refreshLauncher() {
    if (availability_->isAvailable()) {
        return;
    }
    const TrayIconState& state = tray_.iconState();
    launcher_->showState(tray_.icon(), state.title, state.toolTip);
    placeLauncher();
}

void TrayFallback::placeLauncher() {
    if (availability_->isAvailable()) {
        return;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    const OverlayPanel* overlay = overlay_.panel();
    const std::optional<QRect> overlayFrame = overlay != nullptr && overlay->isVisible()
                                                  ? std::optional(overlay->frameGeometry())
                                                  : std::nullopt;
    launcher_->present(
        LauncherPlacement::frame(launcher_->sizeHint(), area, chosenPosition_, overlayFrame));
}

// The overlay's panel exists from its first show on; its moves and resizes are followed so
// the launcher never lies under it.
void TrayFallback::watchOverlay() {
    OverlayPanel* overlay = overlay_.panel();
    if (overlay != nullptr && watchedOverlay_ != overlay) {
        watchedOverlay_ = overlay;
        overlay->installEventFilter(this);
    }
    placeLauncher();
}

bool TrayFallback::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::Move:
        case QEvent::Resize:
            if (watched == watchedOverlay_) {
                QTimer::singleShot(0, this, &TrayFallback::placeLauncher);
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

// Qt chooses the tray icon's kind once per process, so a StatusNotifierWatcher that arrives
// later is only used by a new Pastiq. The restart waits for the session to end: it would end
// the session.
void TrayFallback::restartWhenIdle() {
    if (sessionController_->session()) {
        isRestartPending_ = true;
        return;
    }
    isRestartPending_ = false;
    helpers_.relaunch();
    QCoreApplication::exit(0);
}

}  // namespace pastiq
