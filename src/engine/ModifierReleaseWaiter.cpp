#include "engine/ModifierReleaseWaiter.h"

#include <utility>

namespace pastiq {

ModifierReleaseWaiter::ModifierReleaseWaiter(ModifierState& modifiers, Scheduler& scheduler)
    : modifiers_(modifiers), scheduler_(scheduler) {}

void ModifierReleaseWaiter::waitForRelease(int attempts, Completion completion) {
    scheduler_.runAfter(kPollInterval, guard_,
                        [this, attempts, completion = std::move(completion)]() mutable {
                            poll(attempts, std::move(completion));
                        });
}

void ModifierReleaseWaiter::poll(int attemptsLeft, Completion completion) {
    if (!isHeld()) {
        completion(false);
    } else if (attemptsLeft <= 1) {
        completion(true);
    } else {
        waitForRelease(attemptsLeft - 1, std::move(completion));
    }
}

}  // namespace pastiq
