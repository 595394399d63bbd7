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
        group_ = state->group;
    }
    reloadKeymap();
}

bool KeyboardTracker::handleXkbEvent(const xcb_generic_event_t& event) {
    const auto& header = reinterpret_cast<const XkbEventHeader&>(event);
    connection_.noteServerTime(header.time);
    switch (header.xkbType) {
        case XCB_XKB_STATE_NOTIFY: {
            const auto& state = reinterpret_cast<const xcb_xkb_state_notify_event_t&>(event);
            modifierMask_ = state.mods;
            return applyGroup(state.group);
        }
        case XCB_XKB_NEW_KEYBOARD_NOTIFY:
        case XCB_XKB_MAP_NOTIFY:
        case XCB_XKB_NAMES_NOTIFY:
            return reloadKeymap();
        default:
            return false;
    }
}

bool KeyboardTracker::reloadKeymap() {
    positions_ = KeyboardLayout::read(connection_.get());
    letters_ = LetterKeys::read(connection_.get()).value_or(LetterKeys{});
    return updateLayout();
}

bool KeyboardTracker::applyGroup(std::uint8_t group) {
    // Most state changes are modifiers; only a group switch can move C and V.
    if (group == group_) {
        return false;
    }
    group_ = group;
    return updateLayout();
}

bool KeyboardTracker::updateLayout() {
    auto fresh =
        positions_ ? std::optional(positions_->typingLetters(letters_, group_)) : std::nullopt;
    if (fresh == layout_) {
        return false;
    }
    layout_ = std::move(fresh);
    return true;
}

}  // namespace pastiq::x11
