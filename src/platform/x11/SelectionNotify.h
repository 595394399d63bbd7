#pragma once

#include <xcb/xcb.h>

#include <array>

namespace pastiq::x11 {

// Tells a requestor that its selection request is answered in `property`, or refused when that
// is XCB_NONE. The event carries the request's own time, as ICCCM asks.
inline void sendSelectionNotify(xcb_connection_t* connection,
                                const xcb_selection_request_event_t& request, xcb_atom_t property) {
    // SendEvent always transmits 32 bytes.
    std::array<char, 32> buffer{};
    auto* event = reinterpret_cast<xcb_selection_notify_event_t*>(buffer.data());
    event->response_type = XCB_SELECTION_NOTIFY;
    event->time = request.time;
    event->requestor = request.requestor;
    event->selection = request.selection;
    event->target = request.target;
    event->property = property;
    xcb_send_event(connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, buffer.data());
}

}  // namespace pastiq::x11
