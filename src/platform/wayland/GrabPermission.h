#pragma once

namespace pastiq::wayland {

// Whether Pastiq may hold the keyboards now. A raw grab also takes keys on the lock screen and
// on other virtual terminals, so none is held while the desktop session is locked or inactive.
// Key thread only.
class GrabPermission {
  public:
    virtual ~GrabPermission() = default;
    // Readable when the answer may have changed; for poll(). -1 when there is nothing to watch.
    [[nodiscard]] virtual int fd() const = 0;
    // Handles what the fd reported, without blocking.
    virtual void dispatch() = 0;
    [[nodiscard]] virtual bool allowsGrab() const = 0;
};

}  // namespace pastiq::wayland
