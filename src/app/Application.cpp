#include "app/Application.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QTimer>

#include "app/control/ControlService.h"
#include "app/control/SessionStatusFeed.h"
#include "app/control/SessionStatusJson.h"
#include "app/control/TestHooksService.h"
#include "app/ports/NoDisplayPorts.h"
#include "app/system/DesktopSystemHelpers.h"
#include "app/system/TerminationSignals.h"
#include "app/tray/TrayController.h"
#include "app/tray/TrayFallback.h"
#include "app/windows/AboutWindowController.h"
#include "app/windows/InputAccessGracePeriod.h"
#include "app/windows/OnboardingWindowController.h"
#include "engine/HotkeyMonitor.h"
#include "engine/SessionController.h"
#include "engine/ports/EnginePorts.h"
#include "overlay/OverlayController.h"
#include "platform/wayland/SessionType.h"
#include "platform/wayland/WaylandPlatform.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/X11WindowSystem.h"

namespace pastiq {
namespace {

// The connection Qt draws Pastiq's windows on, when it draws them on X11.
xcb_connection_t* qtX11Connection() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

}  // namespace

Application::Application(BackendChoice backend, QObject* parent)
    : QObject(parent),
      settings_(preferences_),
      terminator_(OlderInstanceTerminator::currentSystem(), scheduler_, log_),
      backendChoice_(backend) {
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Application::terminate);
    terminationSignals_ = std::make_unique<TerminationSignals>([] { QCoreApplication::quit(); });
}

Application::~Application() {
    terminate();
}

void Application::launch() {
    launchedAt_ = std::chrono::steady_clock::now();
    terminator_.quitOtherInstances([this] { takeOverFromOlderInstances(); });
    connectDisplay();
    createControllers();
    registerHotkey();
    publishControl();
    gracePeriod_->poll(InputAccessGracePeriod::kAttempts, InputAccessGracePeriod::kInterval);
}

void Application::terminate() {
    if (isTerminated_) {
        return;
    }
    isTerminated_ = true;
    if (sessionController_) {
        sessionController_->endSession(true);
    }
    if (statusFeed_) {
        statusFeed_->flush();
    }
    if (hotkey_) {
        hotkey_->unregisterHotkey();
    }
}

bool Application::runsOnWayland() const {
    return backendChoice_ == BackendChoice::wayland ||
           (backendChoice_ == BackendChoice::automatic &&
            wayland::isWaylandSession(wayland::processEnvironment()));
}

void Application::connectDisplay() {
    display_ = runsOnWayland()
                   ? connectWayland()
                   : X11Platform::start(scheduler_.mainThreadPost(), log_, qtX11Connection());
    if (!display_) {
        // Keep running: the tray and the onboarding window explain what is missing, and the
        // refusing ports keep the session controller from starting.
        log_.error(LogCategory::permissions, "No usable display — input access unavailable");
        display_ = std::make_unique<NoDisplayPorts>();
        return;
    }
    display_->onConnectionLost([this] { restartAfterConnectionLoss(); });
}

// Pastiq's windows stay X11 windows under XWayland, where the window manager honours the hints
// that keep the overlay from taking the keyboard; the compositor gives the keys and the
// clipboard.
std::unique_ptr<DisplayBackend> Application::connectWayland() {
    standIns_ = std::make_unique<NoDisplayPorts>();
    DisplayPorts desktop = standIns_->ports();
    if (xcb_connection_t* connection = qtX11Connection()) {
        windowSystem_ = std::make_unique<x11::X11WindowSystem>(connection);
    }
    return wayland::WaylandPlatform::start(
        scheduler_.mainThreadPost(), log_,
        DisplayPorts{desktop.clipboard, desktop.keyGrab, desktop.hotkey, desktop.eventPoster,
                     desktop.modifiers, focusProbe_, desktop.inputAccess, desktop.selection,
                     windowSystem_ ? *windowSystem_ : desktop.windows});
}

// The key connection broke on Pastiq's side (its grabs are already gone). A new process has
// new connections; one that loses them again soon after starting quits instead, so a fault
// that repeats does not restart Pastiq in a loop.
void Application::restartAfterConnectionLoss() {
    constexpr std::chrono::seconds kSteadyRun{60};
    if (std::chrono::steady_clock::now() - launchedAt_ < kSteadyRun) {
        log_.error(LogCategory::session,
                   "Quitting: the X11 connection broke again soon after start");
        QCoreApplication::exit(1);
        return;
    }
    log_.info(LogCategory::session, "Restarting Pastiq to reconnect to the X display");
    helpers_->relaunch();
    QCoreApplication::exit(0);
}

void Application::createControllers() {
    const DisplayPorts display = display_->ports();
    helpers_ = std::make_unique<DesktopSystemHelpers>(log_);
    onboarding_ =
        std::make_unique<OnboardingWindowController>(display.inputAccess, *helpers_, log_);
    overlay_ = std::make_unique<OverlayController>(display.windows);
    about_ = std::make_unique<AboutWindowController>(QString::fromUtf8(display_->name()));
    const EnginePorts ports{display.clipboard,   scheduler_,          display.keyGrab,
                            display.eventPoster, display.modifiers,   display.selection,
                            display.focus,       display.inputAccess, alertSound_,
                            *overlay_,           *onboarding_,        log_};
    sessionController_ = SessionController::create(ports, settings_);
    tray_ = std::make_unique<TrayController>(sessionController_, settings_, display.inputAccess,
                                             *helpers_, *about_);
    trayFallback_ = std::make_unique<TrayFallback>(QDBusConnection::sessionBus(), *tray_, *overlay_,
                                                   sessionController_, *helpers_, display.windows);
    onboarding_->setTrayAvailable(trayFallback_->isTrayAvailable());
    connect(trayFallback_.get(), &TrayFallback::trayAvailabilityChanged, onboarding_.get(),
            &OnboardingWindowController::setTrayAvailable);
    gracePeriod_ = std::make_unique<InputAccessGracePeriod>(display.inputAccess, *onboarding_,
                                                            scheduler_, log_);
    hotkey_ = std::make_unique<HotkeyMonitor>(display.hotkey);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &Application::handleApplicationState);
}

void Application::registerHotkey() {
    hotkey_->onPressed = [this] { toggleSessionSoon(); };
    hotkey_->registerHotkey();
}

// The hot key's toggle, queued so the key press is finished before the session acts on it.
void Application::toggleSessionSoon() {
    scheduler_.runSoon([this] {
        if (!sessionController_) {
            return;
        }
        if (sessionController_->session()) {
            sessionController_->endSession(true);
        } else {
            sessionController_->startSession(true);
        }
    });
}

void Application::publishControl() {
    if (!control_) {
        ControlActions actions{
            [this](ControlActions::StartAnswer answer) {
                sessionController_->startSession(
                    false, [answer = std::move(answer)](const std::optional<std::string>& refusal) {
                        answer(refusal.value_or(std::string()));
                    });
            },
            [this](std::string text) {
                sessionController_->startSessionWithText(std::move(text));
                return sessionController_->startRefusal().value_or(std::string());
            },
            [this] { sessionController_->endSession(true); },
            [this] { toggleSessionSoon(); },
            [this] {
                return sessionStatusJson(sessionController_->session().get(), display_->name());
            },
            // Queued: the caller's reply leaves before the event loop ends.
            [] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); },
        };
        control_ = std::make_unique<ControlService>(std::move(actions));
        statusFeed_ = std::make_unique<SessionStatusFeed>(
            sessionController_, std::string(display_->name()),
            [this](const std::string& status) { control_->announceStatus(status); });
        connect(control_.get(), &ControlService::nameLost, this, [this] {
            isControlPublished_ = false;
            log_.error(LogCategory::session,
                       "D-Bus control name taken by another process; reclaiming it when released");
        });
        connect(control_.get(), &ControlService::nameRegained, this, [this] {
            isControlPublished_ = true;
            log_.info(LogCategory::session, "D-Bus control name reclaimed");
        });
    }
    const QDBusConnection bus = QDBusConnection::sessionBus();
    isControlPublished_ = control_->publish(bus);
    if (!isControlPublished_) {
        log_.error(LogCategory::session,
                   "D-Bus control unavailable: " + control_->errorText().toStdString());
    }
    if (!testHooks_ && TestHooksService::isEnabledByEnvironment()) {
        testHooks_ = std::make_unique<TestHooksService>();
        testHooks_->publish(bus);
    }
}

// Older instances held the hot key grab and the bus name until they went away.
void Application::takeOverFromOlderInstances() {
    if (isTerminated_) {
        return;
    }
    if (hotkey_ && hotkey_->isRegistered()) {
        hotkey_->registerHotkey();
    }
    if (!isControlPublished_) {
        publishControl();
    }
}

void Application::handleApplicationState(Qt::ApplicationState state) {
    if (state == Qt::ApplicationActive && onboarding_ && onboarding_->isVisible()) {
        onboarding_->closeIfTrusted();
    }
}

}  // namespace pastiq
