#pragma once

#include <cstdint>

#include "engine/ports/WindowSystem.h"

struct xcb_connection_t;

namespace pastiq::x11 {

// The window-manager hints and focus hand-back of Pastiq's panels, spoken through the
// connection the toolkit created the panels on: the hints then reach the server before the
// toolkit maps the window. Without such a connection every call does nothing.
class X11WindowSystem final : public WindowSystem {
  public:
    // `connection` is borrowed and outlives this object; nullptr when the toolkit does not draw
    // on X11.
    explicit X11WindowSystem(xcb_connection_t* connection);

    [[nodiscard]] bool isCompositing() override;
    void prepareFloatingPanel(WindowId window) override;
    // The window manager's active window, else the X focus window.
    [[nodiscard]] WindowId activeWindow() override;
    // As a pager asks, so focus-stealing prevention lets it through; without a window manager
    // that supports _NET_ACTIVE_WINDOW, sets the input focus directly.
    void activate(WindowId window) override;
    void focusDirectly(WindowId window) override;

  private:
    xcb_connection_t* connection_;
    std::uint32_t root_ = 0;
};

}  // namespace pastiq::x11
