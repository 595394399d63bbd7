#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

#include "app/system/SystemHelpers.h"
#include "engine/ports/InputAccess.h"
#include "engine/ports/Log.h"
#include "engine/ports/OnboardingPresenter.h"

class QDialog;

namespace pastiq {

class OnboardingView;

// The "Enable Pastiq" window, shown wherever missing input access is noticed. There is one per
// process; every caller shows and checks the same window. While shown it checks every 0.7 s
// whether access has arrived and closes itself when it has.
class OnboardingWindowController final : public QObject, public OnboardingPresenter {
    Q_OBJECT

  public:
    static constexpr int kWindowWidth = 520;
    static constexpr int kWindowHeight = 440;
    static constexpr std::chrono::milliseconds kPollInterval{700};

    OnboardingWindowController(InputAccess& access, SystemHelpers& helpers, Log& log,
                               QObject* parent = nullptr);
    ~OnboardingWindowController() override;

    // Called after the window has closed, if set.
    std::function<void()> onFinished;

    void show() override;
    // Closes the window when access has arrived.
    void closeIfTrusted();
    [[nodiscard]] bool isVisible() const { return isVisible_; }
    // Where the window says Pastiq can be found: in the panel's tray, or in its own launcher.
    void setTrayAvailable(bool available);

    // For tests: the window once created, and whether the access check is running.
    [[nodiscard]] QDialog* window() const { return window_.get(); }
    [[nodiscard]] bool isPolling() const { return pollTimer_.isActive(); }

  private:
    void createWindow();
    void centreOnScreen();
    void startPolling();
    void windowClosed();

    InputAccess& access_;
    SystemHelpers& helpers_;
    Log& log_;
    QTimer pollTimer_;
    // After the timer: the window goes first, while everything its close may touch is alive.
    std::unique_ptr<QDialog> window_;
    QPointer<OnboardingView> view_;
    bool isTrayAvailable_ = true;
    bool isVisible_ = false;
};

}  // namespace pastiq
