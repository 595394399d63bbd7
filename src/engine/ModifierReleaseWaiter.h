#pragma once

#include <functional>
#include <memory>

#include "engine/ports/ModifierState.h"
#include "engine/ports/Scheduler.h"

namespace pastiq {

// Waits, without blocking the main loop, until every key of the start hot key is released:
// with Ctrl or Alt down the copy keystroke Pastiq sends reads as Ctrl+Alt+C, and with the
// letter down its press is no new keystroke. Polls stop with the waiter.
class ModifierReleaseWaiter {
  public:
    using Completion = std::function<void(bool stillHeld)>;

    static constexpr Delay kPollInterval{30};
    static constexpr int kFirstWaitAttempts = 50;  // about 1.5 s
    static constexpr int kRetryWaitAttempts = 66;  // about 2 s

    ModifierReleaseWaiter(ModifierState& modifiers, Scheduler& scheduler);

    [[nodiscard]] bool isHeld() { return modifiers_.isHotkeyHeld(); }
    // Polls every 30 ms, the first poll 30 ms from now; `stillHeld` is true when the hot key was
    // still held at the last of `attempts` polls.
    void waitForRelease(int attempts, Completion completion);

  private:
    void poll(int attemptsLeft, Completion completion);

    ModifierState& modifiers_;
    Scheduler& scheduler_;
    StepGuard guard_;
};

}  // namespace pastiq
