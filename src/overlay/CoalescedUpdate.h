#pragma once

#include <QTimer>
#include <chrono>
#include <functional>

namespace pastiq {

// Runs one piece of work for a whole burst of changes, later in the event loop. Noting a
// change costs a clock read: the overlay notes session changes while a Ctrl+V is held for
// its verdict, and its repaint must not compete with the application that is pasting.
//
// A quiet change waits until changes have paused for `quietPeriod` (one update for a burst
// of pastes), but never longer than `longestDelay` after the first change of the burst, so a
// held step key still moves the list. An urgent change (the user edited the queue in the
// panel) runs the work at the next turn of the event loop.
class CoalescedUpdate {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds quietPeriod{40};
    static constexpr std::chrono::milliseconds longestDelay{200};

    explicit CoalescedUpdate(std::function<void()> work);

    void noteQuietChange();
    void noteUrgentChange();
    // Forgets the noted changes without running the work.
    void cancel();

    [[nodiscard]] bool isPending() const { return timer_.isActive(); }

  private:
    void timerFired();

    std::function<void()> work_;
    QTimer timer_;
    bool urgent_ = false;
    Clock::time_point firstChange_;
    Clock::time_point lastChange_;
};

}  // namespace pastiq
