#pragma once

#include <functional>
#include <string_view>

#include "engine/ports/DisplayPorts.h"

namespace pastiq {

// One way of reaching the desktop: X11, or Wayland. The program picks one when it starts and keeps
// it for its life. Main thread.
class DisplayBackend {
  public:
    virtual ~DisplayBackend() = default;

    [[nodiscard]] virtual DisplayPorts ports() = 0;
    // "x11", "wayland", or "none" when Pastiq runs without a display; shown to the user.
    [[nodiscard]] virtual std::string_view name() const = 0;

    // `handler` runs on the main thread once the connection to the display has broken and the
    // backend holds no grab any more. Never called by a backend without a connection.
    virtual void onConnectionLost(std::function<void()> handler) = 0;
};

}  // namespace pastiq
