#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstddef>
#include <unordered_map>

#include "platform/x11/TimerQueue.h"

namespace pastiq::x11 {

// How many clipboard requests of one requestor window Pastiq answers in a short period. Each
// answer costs the server more than the request did, so a client that sends requests without
// waiting for the answers outruns Pastiq: the requests pile up unread in its connection's
// queue, which grows without bound, and every round trip on that connection (a Ctrl+V's
// write waits for one) waits behind the pile. Requests over the budget are read and dropped
// unanswered, which costs next to nothing. An application that pastes asks a few times per
// paste, far below it. Used on the X11 thread only.
class RequestBudget {
  public:
    using Clock = TimerQueue::Clock;
    static constexpr int kAnswersPerPeriod = 64;
    static constexpr std::chrono::milliseconds kPeriod{100};

    // True when a request of this requestor may be answered now; counts it.
    [[nodiscard]] bool take(xcb_window_t requestor, Clock::time_point now);
    [[nodiscard]] std::size_t requestorsTracked() const { return spent_.size(); }

  private:
    struct Spent {
        Clock::time_point periodStart;
        int answers = 0;
    };
    // A client that floods from ever new windows must not grow the table instead.
    static constexpr std::size_t kPruneAbove = 256;

    void pruneEnded(Clock::time_point now);

    std::unordered_map<xcb_window_t, Spent> spent_;
};

}  // namespace pastiq::x11
