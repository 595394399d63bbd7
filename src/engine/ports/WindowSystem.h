#pragma once

#include <cstdint>

namespace pastiq {

// The window manager's side of Pastiq's floating panels: the hints that keep a panel above
// every window on every desktop, and the keyboard focus lent to a panel for an edit and handed
// back. Windows are named by the toolkit's native id; 0 names none. Where the desktop offers
// no such conversation, every call does nothing and every query answers "unknown". Main thread.
class WindowSystem {
  public:
    using WindowId = std::uint64_t;

    virtual ~WindowSystem() = default;

    // True when a compositing manager blends translucent windows.
    [[nodiscard]] virtual bool isCompositing() = 0;

    // Marks the not yet mapped panel sticky, above, out of taskbar and pager, and on every
    // desktop. Window managers drop these states when a window is withdrawn, so this is
    // repeated before every show.
    virtual void prepareFloatingPanel(WindowId window) = 0;

    // The window that has the keyboard now; 0 when unknown.
    [[nodiscard]] virtual WindowId activeWindow() = 0;

    // Gives the keyboard back to `window` in a way focus-stealing prevention lets through.
    virtual void activate(WindowId window) = 0;

    // Gives the keyboard to `window` directly, for window managers that ignore activation
    // requests from applications.
    virtual void focusDirectly(WindowId window) = 0;
};

}  // namespace pastiq
