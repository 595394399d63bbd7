#pragma once

#include <QObject>
#include <chrono>
#include <memory>

#include "app/DesktopArguments.h"
#include "app/ports/NoDisplayPorts.h"
#include "app/ports/QSettingsPreferenceStore.h"
#include "app/ports/QtAlertSound.h"
#include "app/ports/QtFocusProbe.h"
#include "app/ports/QtScheduler.h"
#include "app/system/JournalLog.h"
#include "app/system/OlderInstanceTerminator.h"
#include "engine/Settings.h"
#include "engine/ports/DisplayBackend.h"

namespace pastiq {

class AboutWindowController;
class ControlService;
class DesktopSystemHelpers;
class HotkeyMonitor;
class InputAccessGracePeriod;
class OnboardingWindowController;
class OverlayController;
class SessionController;
class SessionStatusFeed;
class TrayController;
class TerminationSignals;
class TestHooksService;
class TrayFallback;

// The running tray program: owns every long-lived part, launches them in order, answers the
// desktop's activation and ends cleanly on Quit, SIGTERM or SIGINT. Main thread only.
class Application final : public QObject {
    Q_OBJECT

  public:
    explicit Application(BackendChoice backend, QObject* parent = nullptr);
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Quits older instances, connects to the X display, creates the session controller and the
    // tray, registers the hot key, publishes the D-Bus control and starts the grace period.
    void launch();
    // Ends the session (clipboard cleared) and releases the hot key. Runs once.
    void terminate();

  private:
    [[nodiscard]] bool runsOnWayland() const;
    void connectDisplay();
    [[nodiscard]] std::unique_ptr<DisplayBackend> connectWayland();
    void createControllers();
    void registerHotkey();
    void toggleSessionSoon();
    void publishControl();
    void takeOverFromOlderInstances();
    void restartAfterConnectionLoss();
    void handleApplicationState(Qt::ApplicationState state);

    // Declared first so they are destroyed last: the X11 thread logs and posts to the main
    // loop until the platform is gone.
    JournalLog log_;
    QtScheduler scheduler_;
    QSettingsPreferenceStore preferences_;
    Settings settings_;
    OlderInstanceTerminator terminator_;
    // What a Wayland backend borrows from the toolkit's side, and the refusing stand-ins for
    // what the compositor leaves out; they outlive the backend.
    std::unique_ptr<NoDisplayPorts> standIns_;
    std::unique_ptr<WindowSystem> windowSystem_;
    QtFocusProbe focusProbe_;
    // Destroyed after everything that refers to its ports; its destruction releases every grab.
    std::unique_ptr<DisplayBackend> display_;
    QtAlertSound alertSound_;
    std::unique_ptr<DesktopSystemHelpers> helpers_;
    std::unique_ptr<OnboardingWindowController> onboarding_;
    std::unique_ptr<OverlayController> overlay_;
    std::unique_ptr<AboutWindowController> about_;
    std::shared_ptr<SessionController> sessionController_;
    std::unique_ptr<HotkeyMonitor> hotkey_;
    std::unique_ptr<TrayController> tray_;
    std::unique_ptr<TrayFallback> trayFallback_;
    std::unique_ptr<InputAccessGracePeriod> gracePeriod_;
    std::unique_ptr<ControlService> control_;
    std::unique_ptr<SessionStatusFeed> statusFeed_;
    std::unique_ptr<TestHooksService> testHooks_;
    std::unique_ptr<TerminationSignals> terminationSignals_;
    BackendChoice backendChoice_;
    std::chrono::steady_clock::time_point launchedAt_;
    bool isControlPublished_ = false;
    bool isTerminated_ = false;
};

}  // namespace pastiq
