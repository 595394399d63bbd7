#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <unordered_map>
#include <utility>

namespace pastiq::x11 {

// Deadlines on the X11 thread (verdict bounds, transfer time-outs). Not thread-safe: only the
// X11 thread schedules, cancels and runs them.
class TimerQueue {
  public:
    using Clock = std::chrono::steady_clock;
    using Id = std::uint64_t;

    Id schedule(Clock::duration delay, std::function<void()> work);
    // Cancelling a timer that already ran or was cancelled does nothing.
    void cancel(Id id);
    // Milliseconds until the earliest deadline, rounded up; -1 when nothing is scheduled.
    [[nodiscard]] int millisecondsUntilNext(Clock::time_point now) const;
    // Runs every timer whose deadline has passed, earliest first.
    void runDue(Clock::time_point now);
    [[nodiscard]] bool empty() const { return timers_.empty(); }

  private:
    using Key = std::pair<Clock::time_point, Id>;
    std::map<Key, std::function<void()>> timers_;
    std::unordered_map<Id, Clock::time_point> deadlines_;
    Id nextId_ = 1;
};

}  // namespace pastiq::x11
