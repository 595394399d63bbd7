#include "platform/x11/KeyboardTracker.h"

#include "platform/x11/XcbXkb.h"

#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"

namespace pastiq::x11 {
namespace {

// Every XKB event starts with these fields.
struct XkbEventHeader {
    std::uint8_t responseType;
    std::uint8_t xkbType;
    std::uint16_t sequence;
    xcb_timestamp_t time;
};

}  // namespace

KeyboardTracker::KeyboardTracker(XConnection& connection) : connection_(connection) {}

void KeyboardTracker::start() {
    xcb_connection_t* c = connection_.get();
    // A new keycodes table alone (key names moved, symbols kept) comes only as a names
    // notification.
    constexpr std::uint16_t kEvents =
        XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY |
        XCB_XKB_EVENT_TYPE_NAMES_NOTIFY | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    xcb_xkb_select_events(c, XCB_XKB_ID_USE_CORE_KBD, kEvents, 0, kEvents, 0xff, 0xff, nullptr);
    const auto state = fetchReply<xcb_xkb_get_state_reply_t>(
        c, xcb_xkb_get_state(c, XCB_XKB_ID_USE_CORE_KBD), xcb_xkb_get_state_reply);
    if (state) {
        modifierMask_ = state->mods;
    }
    reloadLayout();
}

bool KeyboardTracker::handleXkbEvent(const xcb_generic_event_t& event) {
    const auto& header = reinterpret_cast<const XkbEventHeader&>(event);
    connection_.noteServerTime(header.time);
    switch (header.xkbType) {
        case XCB_XKB_STATE_NOTIFY:
            modifierMask_ = reinterpret_cast<const xcb_xkb_state_notify_event_t&>(event).mods;
            return false;
        case XCB_XKB_NEW_KEYBOARD_NOTIFY:
        case XCB_XKB_MAP_NOTIFY:
        case XCB_XKB_NAMES_NOTIFY:
            return reloadLayout();
        default:
            return false;
    }
}

bool KeyboardTracker::reloadLayout() {
    auto fresh = KeyboardLayout::read(connection_.get());
    if (fresh == layout_) {
        return false;
    }
    layout_ = std::move(fresh);
    return true;
}

}  // namespace pastiq::x11
