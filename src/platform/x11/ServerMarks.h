#pragma once

#include <xcb/xcb.h>

#include <deque>
#include <functional>

namespace pastiq::x11 {

class XConnection;

// Tells, without waiting for a reply, when the server has handled every request sent so far on
// the connection: an empty append to a property of Pastiq's own window comes back as a
// PropertyNotify once the server gets to it, in order with the requests before it. A round
// trip would do the same but hold the X11 thread behind a flood of events until its reply.
//
// X11 thread only.
class ServerMarks {
  public:
    explicit ServerMarks(XConnection& connection) : connection_(connection) {}

    // Runs `then` once the server has handled the requests sent before this call.
    void after(std::function<void()> then);
    // True when the event was a mark's.
    bool handlePropertyNotify(const xcb_property_notify_event_t& event);

  private:
    XConnection& connection_;
    // Waiting for their marks, oldest first: the server handles the appends in order.
    std::deque<std::function<void()>> waiting_;
};

}  // namespace pastiq::x11
