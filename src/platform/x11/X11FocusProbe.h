#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>

#include "engine/ports/FocusProbe.h"

namespace pastiq::x11 {

class XConnection;
class XEventLoop;

// Whether the active window (_NET_ACTIVE_WINDOW) or the window holding the keyboard focus
// belongs to this process. A window's process comes from the X-Resource extension (the
// client that created it), else from its _NET_WM_PID.
class X11FocusProbe final : public FocusProbe {
  public:
    X11FocusProbe(XConnection& connection, XEventLoop& loop);
    [[nodiscard]] bool isOwnApplicationActive() override;

  private:
    bool isOwnWindowFocused();
    std::optional<std::uint32_t> processOf(xcb_window_t window);
    std::optional<std::uint32_t> creatingClientProcess(xcb_window_t window);
    std::optional<std::uint32_t> declaredProcess(xcb_window_t window);

    XConnection& connection_;
    XEventLoop& loop_;
};

}  // namespace pastiq::x11
