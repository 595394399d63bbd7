#pragma once

#include <functional>

#include "engine/ports/DisplayPorts.h"

namespace pastiq {

// One way of reaching the desktop (X11 today). The program picks one when it starts and keeps
// it for its life. Main thread.
class DisplayBackend {
  public:
    virtual ~DisplayBackend() = default;

    [[nodiscard]] virtual DisplayPorts ports() = 0;

    // `handler` runs on the main thread once the connection to the display has broken and the
    // backend holds no grab any more. Never called by a backend without a connection.
    virtual void onConnectionLost(std::function<void()> handler) = 0;
};

}  // namespace pastiq
