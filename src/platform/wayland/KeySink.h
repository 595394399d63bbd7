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
};

}  // namespace pastiq::wayland
