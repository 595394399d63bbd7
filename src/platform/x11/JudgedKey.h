#pragma once

#include <xcb/xcb.h>

#include <optional>

#include "platform/x11/TimerQueue.h"

namespace pastiq::x11 {

// Main thread only. The grabbed key press whose verdict the main thread is deciding right now.
// A clipboard write made meanwhile takes ownership with the key's server time, so a paste
// request that carries that time is answered with exactly that write's text; the time the
// press arrived bounds how long the write may wait for an earlier paste to be fetched.
struct JudgedKey {
    struct Press {
        xcb_timestamp_t time;
        TimerQueue::Clock::time_point arrived;
    };
    std::optional<Press> press;
    // Set by a clipboard write made for the press: the key must then wait until the server
    // has processed that write, which goes out on another connection than the key's verdict.
    bool wroteClipboard = false;
};

}  // namespace pastiq::x11
