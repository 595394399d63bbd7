#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/x11/XkbKeyNames.h"

namespace pastiq::testing {

struct Converted {
    xcb_atom_t type = XCB_NONE;
    std::string bytes;
};

// Another application on the same display: a focused window that records the keys it is
// given, a keyboard driven through XTEST, and a selection requestor.
class TestClient {
  public:
    explicit TestClient(const std::string& display);
    ~TestClient();
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    [[nodiscard]] xcb_connection_t* get() const { return connection_; }
    [[nodiscard]] xcb_window_t window() const { return window_; }
    [[nodiscard]] xcb_keycode_t key(std::string_view xkbName) const;
    // Reads the key names again after the server's keymap changed.
    void reloadKeyNames();
    xcb_atom_t atom(std::string_view name);

    void focusWindow();
    void focus(xcb_window_t window);
    void press(std::string_view xkbName);
    void release(std::string_view xkbName);
    // Presses the modifiers in order, taps the key, releases the modifiers in reverse.
    void chord(const std::vector<std::string_view>& modifiers, std::string_view key);
    void sync();
    // Locks the keyboard's XKB group, as a layout switch would.
    void lockGroup(std::uint8_t group);

    // Taps an unmodified marker key and returns the window's presses of any key but a modifier
    // up to it.
    std::vector<xcb_key_press_event_t> keyPressesUntilMarker(
        std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
    [[nodiscard]] static constexpr std::string_view markerKey() { return "AC01"; }
    // The window's next press of this key; other events meanwhile are dropped.
    std::optional<xcb_key_press_event_t> nextPressOf(
        std::string_view xkbName,
        std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

    // Converts CLIPBOARD to the target at the given time; nothing when refused or timed out.
    std::optional<Converted> convertClipboard(xcb_atom_t target,
                                              xcb_timestamp_t time = XCB_CURRENT_TIME,
                                              std::string_view property = "TEST_RECEIVED");

  private:
    void fakeKey(std::uint8_t type, std::string_view xkbName);
    template <typename Wanted>
    std::optional<Wanted> waitForEvent(std::uint8_t type, std::chrono::milliseconds timeout,
                                       const std::function<bool(const Wanted&)>& accept);

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    xcb_window_t window_ = XCB_NONE;
    std::optional<x11::XkbKeyNames> keys_;
};

}  // namespace pastiq::testing
