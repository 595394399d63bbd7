#include "platform/x11/PastePinger.h"

#include <array>

#include "platform/x11/PendingPastes.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"

namespace pastiq::x11 {
namespace {

// Top-level windows sit a frame or two below the root; a focus proxy adds one more.
constexpr int kMaxAncestors = 4;
constexpr std::uint32_t kMaxProtocols = 32;

}  // namespace

PastePinger::PastePinger(XConnection& connection, xcb_connection_t* queries, PendingPastes& pastes)
    : connection_(connection), queries_(queries), pastes_(pastes) {}

void PastePinger::start() {
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_.get(), connection_.root(), XCB_CW_EVENT_MASK, &mask);
}

void PastePinger::keyReplayed(xcb_timestamp_t keyTime) {
    const auto serial = pastes_.takeReplayed(keyTime);
    const xcb_window_t target = serial ? pingTarget() : XCB_NONE;
    if (target != XCB_NONE) {
        ping(target, keyTime);
        pastes_.add({*serial, target, keyTime, PendingPastes::Clock::now()});
    }
    if (passedOn_) {
        passedOn_(keyTime, target != XCB_NONE);
    }
}

void PastePinger::handleClientMessage(const xcb_client_message_event_t& event) {
    const Atoms& atoms = connection_.atoms();
    if (event.window == connection_.root() && event.format == 32 &&
        event.type == atoms.wmProtocols && event.data.data32[0] == atoms.netWmPing) {
        for (const xcb_timestamp_t keyTime :
             pastes_.answer(event.data.data32[2], event.data.data32[1])) {
            if (answered_) {
                answered_(keyTime);
            }
        }
    }
}

xcb_window_t PastePinger::pingTarget() {
    xcb_connection_t* c = queries_;
    const auto focus = fetchReply<xcb_get_input_focus_reply_t>(c, xcb_get_input_focus(c),
                                                               xcb_get_input_focus_reply);
    if (!focus || focus->focus == XCB_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT) {
        return XCB_NONE;
    }
    if (focus->focus != lastFocus_) {
        lastFocus_ = focus->focus;
        lastTarget_ = ancestorTakingPings(focus->focus);
    }
    return lastTarget_;
}

xcb_window_t PastePinger::ancestorTakingPings(xcb_window_t window) const {
    for (int level = 0; level < kMaxAncestors && window != XCB_NONE; ++level) {
        if (window == connection_.root()) {
            return XCB_NONE;
        }
        if (takesPings(window)) {
            return window;
        }
        window = parentOf(window);
    }
    return XCB_NONE;
}

bool PastePinger::takesPings(xcb_window_t window) const {
    xcb_connection_t* c = queries_;
    const Atoms& atoms = connection_.atoms();
    const auto reply = fetchReply<xcb_get_property_reply_t>(
        c, xcb_get_property(c, 0, window, atoms.wmProtocols, XCB_ATOM_ATOM, 0, kMaxProtocols),
        xcb_get_property_reply);
    if (!reply || reply->format != 32) {
        return false;
    }
    const auto* protocols = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < count; ++i) {
        if (protocols[i] == atoms.netWmPing) {
            return true;
        }
    }
    return false;
}

xcb_window_t PastePinger::parentOf(xcb_window_t window) const {
    xcb_connection_t* c = queries_;
    const auto tree =
        fetchReply<xcb_query_tree_reply_t>(c, xcb_query_tree(c, window), xcb_query_tree_reply);
    return tree ? tree->parent : XCB_NONE;
}

void PastePinger::ping(xcb_window_t target, xcb_timestamp_t time) {
    const Atoms& atoms = connection_.atoms();
    // SendEvent always transmits 32 bytes.
    std::array<char, 32> buffer{};
    auto* event = reinterpret_cast<xcb_client_message_event_t*>(buffer.data());
    event->response_type = XCB_CLIENT_MESSAGE;
    event->format = 32;
    event->window = target;
    event->type = atoms.wmProtocols;
    event->data.data32[0] = atoms.netWmPing;
    event->data.data32[1] = time;
    event->data.data32[2] = target;
    xcb_send_event(connection_.get(), 0, target, XCB_EVENT_MASK_NO_EVENT, buffer.data());
    xcb_flush(connection_.get());
}

}  // namespace pastiq::x11
