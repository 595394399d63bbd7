#pragma once

#include <cstdint>

class QWindow;

namespace pastiq {

// The few X11 window-manager conversations the overlay panel needs, spoken through Qt's own
// xcb connection. On any other platform (offscreen tests, Wayland) every call does nothing
// and every query answers "unknown".
class OverlayWindowSystem {
  public:
    using WindowId = std::uint32_t;

    // True when a compositing manager owns _NET_WM_CM_S<screen>, so translucency is blended.
    static bool isCompositing();

    // Marks the not yet mapped panel sticky, above, out of taskbar and pager, and on every
    // desktop. The window manager drops _NET_WM_STATE when a window is withdrawn, so this is
    // repeated before every show.
    static void prepareFloatingPanel(QWindow* window);

    // The window that has the keyboard now: the window manager's active window, else the
    // X focus window. 0 when unknown.
    static WindowId activeWindow();

    // Asks the window manager to activate `window` (as a pager would, so focus-stealing
    // prevention lets it through); without a window manager, sets the input focus directly.
    static void activate(WindowId window);

    // Sets the input focus on the panel itself, for window managers that ignore activation
    // requests from applications.
    static void focusDirectly(QWindow* window);
};

}  // namespace pastiq
