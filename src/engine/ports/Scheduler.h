#pragma once

#include <chrono>
#include <functional>

#include "model/StepGuard.h"

namespace pastiq {

using Delay = std::chrono::milliseconds;

// The main thread's queue. Work always runs later on the main thread, never inside the call.
class Scheduler {
  public:
    virtual ~Scheduler() = default;
    // Runs the work after at least the delay unless `owner` is destroyed or cancelled first.
    virtual void runAfter(Delay delay, const StepGuard& owner, std::function<void()> work) = 0;
    // Runs the work on the next turn of the main loop.
    virtual void runSoon(std::function<void()> work) = 0;
    // The main loop's clock, from an arbitrary start: waits that also make calls which can
    // block (clipboard reads) end by this time, not by a count of attempts.
    [[nodiscard]] virtual Delay now() const = 0;
};

}  // namespace pastiq
