#pragma once

#include <memory>
#include <vector>

#include "platform/wayland/KeyboardDevice.h"

namespace pastiq::wayland {

// The keyboards attached now, and those plugged in or out later. Key thread only.
class KeyboardSource {
  public:
    struct Changes {
        std::vector<std::shared_ptr<KeyboardDevice>> added;
        // Devices handed out in an earlier `added`, now gone.
        std::vector<std::shared_ptr<KeyboardDevice>> removed;
    };

    virtual ~KeyboardSource() = default;
    // Readable when a keyboard came or went; for poll(). -1 when there is nothing to watch.
    [[nodiscard]] virtual int fd() const = 0;
    // Handles what the fd reported, without blocking. False once the source is gone.
    virtual bool dispatch() = 0;
    // What changed since the last call; the first call adds every keyboard attached now.
    virtual Changes takeChanges() = 0;
};

}  // namespace pastiq::wayland
