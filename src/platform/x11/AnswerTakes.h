#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

#include "platform/x11/TimerQueue.h"

namespace pastiq::x11 {

class XConnection;

// Tells when requestors have taken whole answers from their windows: a requestor deletes the
// property once it has read it. One that never does counts as having taken it once the bound
// passed. X11 thread only.
class AnswerTakes {
  public:
    // A compositor that stalls for a moment still reads within this on a loaded machine.
    static constexpr std::chrono::milliseconds kBound{250};
    // Answers watched at once; the oldest counts as taken when one more comes.
    static constexpr std::size_t kMaxWatched = 32;

    AnswerTakes(XConnection& connection, TimerQueue& timers)
        : connection_(connection), timers_(timers) {}
    AnswerTakes(const AnswerTakes&) = delete;
    AnswerTakes& operator=(const AnswerTakes&) = delete;

    // The answer in `property` of `requestor`, before the requestor hears of it; `taken` runs
    // once.
    void watch(xcb_window_t requestor, xcb_atom_t property, std::function<void()> taken);
    // True when the event told of a watched answer's deletion.
    bool handlePropertyNotify(const xcb_property_notify_event_t& event);

  private:
    struct Watched {
        xcb_window_t requestor;
        xcb_atom_t property;
        std::function<void()> taken;
        TimerQueue::Id timer;
        std::uint64_t id;
    };
    void finish(std::uint64_t id);

    XConnection& connection_;
    TimerQueue& timers_;
    // Oldest first.
    std::vector<Watched> watched_;
    std::uint64_t lastId_ = 0;
};

}  // namespace pastiq::x11
