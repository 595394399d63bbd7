#include "platform/x11/ServerMarks.h"

#include "platform/x11/XConnection.h"

namespace pastiq::x11 {

void ServerMarks::after(std::function<void()> then) {
    xcb_connection_t* c = connection_.get();
    xcb_change_property(c, XCB_PROP_MODE_APPEND, connection_.window(),
                        connection_.atoms().serverMark, XCB_ATOM_INTEGER, 8, 0, nullptr);
    xcb_flush(c);
    waiting_.push_back(std::move(then));
}

bool ServerMarks::handlePropertyNotify(const xcb_property_notify_event_t& event) {
    if (event.window != connection_.window() || event.atom != connection_.atoms().serverMark) {
        return false;
    }
    connection_.noteServerTime(event.time);
    if (!waiting_.empty()) {
        auto then = std::move(waiting_.front());
        waiting_.pop_front();
        then();
    }
    return true;
}

}  // namespace pastiq::x11
