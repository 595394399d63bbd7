#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <string_view>

namespace pastiq::hostile {

// One connection to the display with a window of its own and the atoms the clipboard takes.
class HostileConnection {
  public:
    HostileConnection();
    ~HostileConnection();
    HostileConnection(const HostileConnection&) = delete;
    HostileConnection& operator=(const HostileConnection&) = delete;

    [[nodiscard]] xcb_connection_t* get() const { return connection_; }
    [[nodiscard]] xcb_window_t window() const { return window_; }
    [[nodiscard]] xcb_atom_t atom(std::string_view name) const;
    // The largest property piece one request carries (BIG-REQUESTS counted).
    [[nodiscard]] std::uint32_t maxPieceBytes() const;
    [[nodiscard]] xcb_window_t clipboardOwner() const;
    // Blocks until an event comes; nothing once the connection is gone.
    [[nodiscard]] xcb_generic_event_t* waitForEvent() const;

    xcb_atom_t clipboard = XCB_NONE;
    xcb_atom_t utf8String = XCB_NONE;
    xcb_atom_t incr = XCB_NONE;

  private:
    xcb_connection_t* connection_;
    xcb_window_t window_ = XCB_NONE;
};

}  // namespace pastiq::hostile
