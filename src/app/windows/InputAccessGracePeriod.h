#pragma once

#include "engine/ports/InputAccess.h"
#include "engine/ports/Log.h"
#include "engine/ports/OnboardingPresenter.h"
#include "engine/ports/Scheduler.h"

namespace pastiq {

// Right after launch the desktop may still be settling, so missing input access is checked a
// few more times before the onboarding window interrupts the user.
class InputAccessGracePeriod {
  public:
    static constexpr int kAttempts = 5;
    static constexpr Delay kInterval{400};

    InputAccessGracePeriod(InputAccess& access, OnboardingPresenter& onboarding,
                           Scheduler& scheduler, Log& log);
    ~InputAccessGracePeriod() = default;
    InputAccessGracePeriod(const InputAccessGracePeriod&) = delete;
    InputAccessGracePeriod& operator=(const InputAccessGracePeriod&) = delete;

    // Checks now and then every `interval` while `attemptsLeft` lasts: attemptsLeft + 1 checks
    // in all. Logs the result; shows the onboarding window when the last check fails.
    void poll(int attemptsLeft = kAttempts, Delay interval = kInterval);

  private:
    InputAccess& access_;
    OnboardingPresenter& onboarding_;
    Scheduler& scheduler_;
    Log& log_;
    StepGuard guard_;
};

}  // namespace pastiq
