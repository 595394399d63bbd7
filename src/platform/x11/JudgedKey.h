#pragma once

#include <xcb/xcb.h>

#include <optional>

namespace pastiq::x11 {

// Main thread only. The server time of the grabbed key press whose verdict the main thread is
// deciding right now. A clipboard write made meanwhile takes ownership with this time, so a
// paste request that carries the key's time is answered with exactly that write's text.
struct JudgedKey {
    std::optional<xcb_timestamp_t> time;
};

}  // namespace pastiq::x11
