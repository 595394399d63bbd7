#include "engine/ModifierReleaseWaiter.h"

#include <utility>

namespace pastiq {

ModifierReleaseWaiter::ModifierReleaseWaiter(ModifierState& modifiers, Scheduler& scheduler)
    : modifiers_(modifiers), scheduler_(scheduler) {}

void ModifierReleaseWaiter::waitForRelease(int attempts, Completion completion) {
    std::weak_ptr<ModifierReleaseWaiter> weakSelf = weak_from_this();
    scheduler_.runAfter(kPollInterval,
                        [weakSelf, attempts, completion = std::move(completion)]() mutable {
                            if (auto self = weakSelf.lock()) {
                                self->poll(attempts, std::move(completion));
                            }
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
