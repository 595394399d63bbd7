#include "TestClient.h"

#include <poll.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <stdexcept>

#include "platform/x11/XReply.h"
#include "platform/x11/XcbXkb.h"

namespace pastiq::testing {

using x11::fetchReply;
using x11::XReply;

TestClient::TestClient(const std::string& display)
    : connection_(xcb_connect(display.c_str(), nullptr)) {
    if (xcb_connection_has_error(connection_) != 0) {
        throw std::runtime_error("cannot connect to " + display);
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    fetchReply<xcb_xkb_use_extension_reply_t>(connection_, xcb_xkb_use_extension(connection_, 1, 0),
                                              xcb_xkb_use_extension_reply);
    reloadKeyNames();
    window_ = xcb_generate_id(connection_);
    const std::array<std::uint32_t, 1> events{XCB_EVENT_MASK_KEY_PRESS |
                                              XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, root_, 0, 0, 100, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      events.data());
    xcb_map_window(connection_, window_);
    sync();
}

TestClient::~TestClient() {
    xcb_disconnect(connection_);
}

xcb_keycode_t TestClient::key(std::string_view xkbName) const {
    return keys_ ? keys_->keycodeOf(xkbName) : 0;
}

void TestClient::reloadKeyNames() {
    keys_ = x11::XkbKeyNames::read(connection_);
}

xcb_atom_t TestClient::atom(std::string_view name) {
    const auto reply = fetchReply<xcb_intern_atom_reply_t>(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data()),
        xcb_intern_atom_reply);
    return reply ? reply->atom : XCB_NONE;
}

void TestClient::focusWindow() {
    focus(window_);
}

void TestClient::focus(xcb_window_t window) {
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    sync();
}

void TestClient::fakeKey(std::uint8_t type, std::string_view xkbName) {
    xcb_test_fake_input(connection_, type, key(xkbName), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
}

void TestClient::press(std::string_view xkbName) {
    fakeKey(XCB_KEY_PRESS, xkbName);
    xcb_flush(connection_);
}

void TestClient::release(std::string_view xkbName) {
    fakeKey(XCB_KEY_RELEASE, xkbName);
    xcb_flush(connection_);
}

void TestClient::chord(const std::vector<std::string_view>& modifiers, std::string_view key) {
    for (const auto modifier : modifiers) {
        fakeKey(XCB_KEY_PRESS, modifier);
    }
    fakeKey(XCB_KEY_PRESS, key);
    fakeKey(XCB_KEY_RELEASE, key);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
        fakeKey(XCB_KEY_RELEASE, *it);
    }
    xcb_flush(connection_);
}

void TestClient::sync() {
    fetchReply<xcb_get_input_focus_reply_t>(connection_, xcb_get_input_focus(connection_),
                                            xcb_get_input_focus_reply);
}

void TestClient::lockGroup(std::uint8_t group) {
    xcb_xkb_latch_lock_state(connection_, XCB_XKB_ID_USE_CORE_KBD, 0, 0, 1, group, 0, 0, 0);
    sync();
}

template <typename Wanted>
std::optional<Wanted> TestClient::waitForEvent(std::uint8_t type, std::chrono::milliseconds timeout,
                                               const std::function<bool(const Wanted&)>& accept) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        while (XReply<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
            if ((event->response_type & 0x7f) == type) {
                const auto& wanted = *reinterpret_cast<const Wanted*>(event.get());
                if (accept(wanted)) {
                    return wanted;
                }
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd ready{xcb_get_file_descriptor(connection_), POLLIN, 0};
        poll(&ready, 1, static_cast<int>(left.count()));
    }
}

std::vector<xcb_key_press_event_t> TestClient::keyPressesUntilMarker(
    std::chrono::milliseconds timeout) {
    chord({}, markerKey());
    const xcb_keycode_t marker = key(markerKey());
    const std::vector<xcb_keycode_t> modifiers{key("LCTL"), key("RCTL"), key("LALT"),
                                               key("LFSH"), key("CAPS"), key("NMLK")};
    std::vector<xcb_key_press_event_t> presses;
    const auto found = waitForEvent<xcb_key_press_event_t>(
        XCB_KEY_PRESS, timeout, [&](const xcb_key_press_event_t& press) {
            if (press.detail == marker) {
                return true;
            }
            if (std::find(modifiers.begin(), modifiers.end(), press.detail) == modifiers.end()) {
                presses.push_back(press);
            }
            return false;
        });
    if (!found) {
        throw std::runtime_error("the marker key never reached the window");
    }
    return presses;
}

std::optional<xcb_key_press_event_t> TestClient::nextPressOf(std::string_view xkbName,
                                                             std::chrono::milliseconds timeout) {
    const xcb_keycode_t wanted = key(xkbName);
    return waitForEvent<xcb_key_press_event_t>(
        XCB_KEY_PRESS, timeout,
        [wanted](const xcb_key_press_event_t& press) { return press.detail == wanted; });
}

std::optional<Converted> TestClient::convertClipboard(xcb_atom_t target, xcb_timestamp_t time,
                                                      std::string_view propertyName) {
    const xcb_atom_t property = atom(propertyName);
    xcb_convert_selection(connection_, window_, atom("CLIPBOARD"), target, property, time);
    xcb_flush(connection_);
    const auto notify = waitForEvent<xcb_selection_notify_event_t>(
        XCB_SELECTION_NOTIFY, std::chrono::milliseconds(2000),
        [](const xcb_selection_notify_event_t&) { return true; });
    if (!notify || notify->property == XCB_NONE) {
        return std::nullopt;
    }
    const auto reply = fetchReply<xcb_get_property_reply_t>(
        connection_,
        xcb_get_property(connection_, 1, window_, property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                         UINT32_MAX / 4),
        xcb_get_property_reply);
    if (!reply) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const auto length = xcb_get_property_value_length(reply.get());
    return Converted{reply->type, std::string(bytes, static_cast<std::size_t>(length))};
}

}  // namespace pastiq::testing
