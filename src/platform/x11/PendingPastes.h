#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "platform/x11/TimerQueue.h"

namespace pastiq::x11 {

// The Ctrl+V pastes that the focused application has not yet confirmed, oldest first. After a
// Ctrl+V is replayed Pastiq pings the window it went to (_NET_WM_PING); an application answers
// from its event loop, so the answer comes only once every event queued before the ping, the
// Ctrl+V among them, has been handled. Until then a request with CurrentTime belongs to the
// oldest unconfirmed paste, however far the clipboard has moved on: an application that pastes
// slowly and reads the text more than once per paste (LibreOffice) is served that paste's
// item on every read. Used on the X11 thread only.
class PendingPastes {
  public:
    using Clock = TimerQueue::Clock;
    struct Ping {
        std::uint64_t serial;  // the clipboard entry written for the key
        xcb_window_t window;
        xcb_timestamp_t time;
        Clock::time_point sent;
    };
    // An application busy for longer is not pasting; its unanswered pings stop counting so
    // that other applications are served the newest item again.
    static constexpr std::chrono::seconds kAnswerBound{4};

    // A clipboard entry written for the key press at `keyTime`, waiting for its replay.
    void awaitReplay(std::uint64_t serial, xcb_timestamp_t keyTime);
    // The key pressed at `keyTime` was replayed: the entry written for it, if that was the last.
    [[nodiscard]] std::optional<std::uint64_t> takeReplayed(xcb_timestamp_t keyTime);

    void add(const Ping& ping);
    // An answer confirms its ping and every earlier one to the same window: events are handled
    // in order. Returns the key times of the pings it confirmed.
    std::vector<xcb_timestamp_t> answer(xcb_window_t window, xcb_timestamp_t time);
    // The entry of the oldest paste not confirmed yet, if any.
    [[nodiscard]] std::optional<std::uint64_t> oldestUnconfirmed(Clock::time_point now);
    void clear();

  private:
    struct KeyWrite {
        std::uint64_t serial;
        xcb_timestamp_t keyTime;
    };
    std::optional<KeyWrite> awaitingReplay_;
    std::deque<Ping> pings_;
};

}  // namespace pastiq::x11
