#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace pastiq {

using Delay = std::chrono::milliseconds;

// A handle to scheduled work. Cancelling it before it runs means it never runs.
class WorkItem {
  public:
    WorkItem() : cancelled_(std::make_shared<bool>(false)) {}
    void cancel() const { *cancelled_ = true; }
    [[nodiscard]] bool isCancelled() const { return *cancelled_; }

  private:
    std::shared_ptr<bool> cancelled_;
};

// The main thread's queue. Work always runs later on the main thread, never inside the call.
class Scheduler {
  public:
    virtual ~Scheduler() = default;
    // Runs the work after at least the delay unless the returned item is cancelled first.
    virtual WorkItem runAfter(Delay delay, std::function<void()> work) = 0;
    // Runs the work on the next turn of the main loop.
    virtual void runSoon(std::function<void()> work) = 0;
    // The main loop's clock, from an arbitrary start: waits that also make calls which can
    // block (clipboard reads) end by this time, not by a count of attempts.
    [[nodiscard]] virtual Delay now() const = 0;
};

}  // namespace pastiq
