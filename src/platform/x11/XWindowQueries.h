#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace pastiq::x11 {

// The few window questions several X11 adapters ask, each answered by one round trip on the
// given connection. A failed request answers as if the property or window were not there.

// XCB_ATOM_NONE when the server does not answer.
[[nodiscard]] xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name);

// The 32-bit values of `property` on `window` when it has the given type; empty otherwise.
[[nodiscard]] std::vector<std::uint32_t> propertyValues(xcb_connection_t* connection,
                                                        xcb_window_t window, xcb_atom_t property,
                                                        xcb_atom_t type);

// The window manager's active window (_NET_ACTIVE_WINDOW on `root`); XCB_NONE when unset.
[[nodiscard]] xcb_window_t activeWindow(xcb_connection_t* connection, xcb_window_t root,
                                        xcb_atom_t netActiveWindow);

// The window holding the X input focus; XCB_NONE for None and PointerRoot, which name no
// window the focus could be given back to.
[[nodiscard]] xcb_window_t focusWindow(xcb_connection_t* connection);

}  // namespace pastiq::x11
