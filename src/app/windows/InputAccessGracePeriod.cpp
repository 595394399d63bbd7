#include "app/windows/InputAccessGracePeriod.h"

namespace pastiq {

InputAccessGracePeriod::InputAccessGracePeriod(InputAccess& access, OnboardingPresenter& onboarding,
                                               Scheduler& scheduler, Log& log)
    : access_(access), onboarding_(onboarding), scheduler_(scheduler), log_(log) {}

void InputAccessGracePeriod::poll(int attemptsLeft, Delay interval) {
    if (access_.hasInputAccess()) {
        log_.info(LogCategory::permissions, "Input access granted");
        return;
    }
    if (attemptsLeft < 1) {
        log_.info(LogCategory::permissions, "Input access not granted after grace period");
        onboarding_.show();
        return;
    }
    scheduler_.runAfter(interval, guard_,
                        [this, attemptsLeft, interval] { poll(attemptsLeft - 1, interval); });
}

}  // namespace pastiq
