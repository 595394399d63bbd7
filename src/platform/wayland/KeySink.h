#pragma once

#include <cstdint>
#include <vector>

namespace pastiq::wayland {

// One key event as the kernel's input layer names it: an evdev key code (KEY_* of
// linux/input-event-codes.h) and whether it went down or up. Auto-repeats never travel.
struct KeyStroke {
    std::uint16_t code = 0;
    bool pressed = false;
    friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// The one persistent virtual keyboard through which every key Pastiq passes on or makes up
// reaches the compositor: /dev/uinput, or the compositor's virtual-keyboard protocol where
// /dev/uinput cannot be opened. Key thread only; a send never waits for the main thread.
class KeySink {
  public:
    virtual ~KeySink() = default;
    // Sends the strokes in order as one input frame. False when the device is gone.
    virtual bool send(const std::vector<KeyStroke>& strokes) = 0;
    // Lets go of every key this sink holds down, so none sticks when Pastiq stops passing
    // keys on.
    virtual void releaseAll() = 0;

    // The lock LEDs the compositor sets on this keyboard: the real keyboards Pastiq grabs no
    // longer hear from the compositor, so they are lit from here. Readable when an LED changed;
    // -1 for a sink without LEDs.
    [[nodiscard]] virtual int fd() const { return -1; }
    // Takes in the LED changes that wait, without blocking. False once the device is gone.
    virtual bool readLeds() { return true; }
    // Whether the compositor last lit `code` (LED_CAPSL, ...).
    [[nodiscard]] virtual bool isLedOn(std::uint16_t /*code*/) const { return false; }
};

}  // namespace pastiq::wayland
