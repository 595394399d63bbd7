#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>

namespace pastiq::x11 {

class PendingPastes;
class XConnection;

// Pings the window a replayed Ctrl+V went to, when it answers _NET_WM_PING, and hands the
// answers to PendingPastes. The answers are sent to the root window, so Pastiq listens there.
//
// X11 thread only.
class PastePinger {
  public:
    // Pings go out on `connection`; the focus and window questions are asked on `queries`.
    PastePinger(XConnection& connection, xcb_connection_t* queries, PendingPastes& pastes);

    void start();
    // Told, for each key passed on, whether a ping went behind it, and of each ping answered.
    void setObservers(std::function<void(xcb_timestamp_t keyTime, bool isPinged)> passedOn,
                      std::function<void(xcb_timestamp_t keyTime)> answered) {
        passedOn_ = std::move(passedOn);
        answered_ = std::move(answered);
    }
    // After the replay of the key pressed at `keyTime` has been sent.
    void keyReplayed(xcb_timestamp_t keyTime);
    void handleClientMessage(const xcb_client_message_event_t& event);

  private:
    // The focused window or its nearest ancestor that takes pings; none when neither does.
    [[nodiscard]] xcb_window_t pingTarget();
    [[nodiscard]] xcb_window_t ancestorTakingPings(xcb_window_t window) const;
    [[nodiscard]] bool takesPings(xcb_window_t window) const;
    [[nodiscard]] xcb_window_t parentOf(xcb_window_t window) const;
    void ping(xcb_window_t target, xcb_timestamp_t time);

    XConnection& connection_;
    xcb_connection_t* queries_;
    PendingPastes& pastes_;
    std::function<void(xcb_timestamp_t, bool)> passedOn_;
    std::function<void(xcb_timestamp_t)> answered_;
    // The last lookup: the focus stays on one window for a whole run of pastes.
    xcb_window_t lastFocus_ = XCB_NONE;
    xcb_window_t lastTarget_ = XCB_NONE;
};

}  // namespace pastiq::x11
