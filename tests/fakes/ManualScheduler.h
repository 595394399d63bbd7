#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "engine/ports/Scheduler.h"

namespace pastiq::testing {

// A main queue on a manual clock. Nothing runs until the test advances time; then due steps run
// in time order, steps queued with runSoon before timed steps due at the same moment, and steps
// scheduled while advancing run too when they fall due within the advance.
class ManualScheduler : public Scheduler {
  public:
    void runAfter(Delay delay, const StepGuard& owner, std::function<void()> work) override;
    void runSoon(std::function<void()> work) override;

    // Moves the clock forward by `duration`, running every step that falls due.
    void advance(Delay duration);
    // Runs what is due now (runSoon work included) without moving the clock.
    void runReady() { advance(Delay{0}); }
    // Advances until nothing is pending, or at most `limit`.
    void runUntilIdle(Delay limit = Delay{60'000});

    [[nodiscard]] Delay now() const override { return now_; }
    // Moves the clock without running anything, as a call that blocks the main thread does.
    void passTimeBlocked(Delay duration) { now_ += duration; }
    // Steps not yet run and not cancelled.
    [[nodiscard]] std::size_t pendingCount() const;
    [[nodiscard]] std::optional<Delay> nextDueTime() const;

  private:
    struct Entry {
        Delay due;
        int priority;  // runSoon work before timed work due at the same moment
        std::uint64_t sequence;
        std::function<void()> work;
        // Timed work only: it is cancelled with its owner.
        std::optional<StepGuard::Watch> guard;
        [[nodiscard]] bool isCancelled() const { return guard && guard->isCancelled(); }
    };
    void schedule(Delay due, int priority, std::function<void()> work,
                  std::optional<StepGuard::Watch> guard);
    [[nodiscard]] std::optional<std::size_t> nextEntryDueBy(Delay limit) const;

    Delay now_{0};
    std::uint64_t nextSequence_ = 0;
    std::vector<Entry> entries_;
};

}  // namespace pastiq::testing
