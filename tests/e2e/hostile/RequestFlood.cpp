#include "RequestFlood.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace pastiq::hostile {
namespace {

constexpr int kBurst = 256;

}  // namespace

RequestFlood::RequestFlood(HostileConnection& x) : x_(x) {
    request_.response_type = XCB_SELECTION_REQUEST;
    request_.owner = x.clipboardOwner();
    request_.requestor = x.window();
    request_.selection = x.clipboard;
    request_.target = x.utf8String;
    request_.property = x.atom("HOSTILE_FLOOD");
    request_.time = XCB_CURRENT_TIME;
}

bool RequestFlood::run() {
    if (request_.owner == XCB_NONE) {
        return false;
    }
    std::puts("flooding");
    std::fflush(stdout);
    while (xcb_connection_has_error(x_.get()) == 0) {
        sendBurst();
        dropEvents();
    }
    return true;
}

void RequestFlood::sendBurst() {
    for (int sent = 0; sent < kBurst; ++sent) {
        xcb_send_event(x_.get(), 0, request_.owner, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&request_));
    }
    xcb_flush(x_.get());
}

void RequestFlood::dropEvents() {
    while (const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event{
        xcb_poll_for_event(x_.get()), &std::free}) {
    }
}

}  // namespace pastiq::hostile
