#pragma once

#include <linux/input.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pastiq::wayland {

// One keyboard the kernel reports (/dev/input/event*), or a stand-in with the same events.
// Key thread only.
class KeyboardDevice {
  public:
    virtual ~KeyboardDevice() = default;
    // Readable when events wait; for poll().
    [[nodiscard]] virtual int fd() const = 0;
    // Appends every event that waits, without blocking. False once the device is gone.
    virtual bool read(std::vector<input_event>& events) = 0;
    // Takes the device from the compositor: its events reach only Pastiq until ungrab().
    virtual bool grab() = 0;
    virtual void ungrab() = 0;
    // The evdev codes of the keys held down on this device now, as the kernel tracks them.
    [[nodiscard]] virtual std::vector<std::uint16_t> heldKeys() = 0;
    // A real keyboard's events reach the compositor by themselves while it is not grabbed. A
    // stand-in (the tests' scripted keyboard) has no such path: Pastiq sends on everything it
    // reads from it, grabbed or not, as the kernel would have.
    [[nodiscard]] virtual bool reachesCompositorUngrabbed() const { return true; }
    // Lights or darkens a lock LED (LED_CAPSL, ...) while Pastiq holds the keyboard and the
    // compositor no longer drives it. Nothing for a keyboard without LEDs.
    virtual void setLed(std::uint16_t /*code*/, bool /*on*/) {}
    // For the log: the device's name, never a key.
    [[nodiscard]] virtual std::string name() const = 0;
};

}  // namespace pastiq::wayland
