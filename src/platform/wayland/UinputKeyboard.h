#pragma once

#include <linux/input.h>

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/wayland/KeyCodeSet.h"
#include "platform/wayland/KeySink.h"
#include "platform/wayland/UniqueFd.h"

namespace pastiq::wayland {

// Pastiq's one virtual keyboard: writes each stroke as a key event and its report to a uinput
// device's fd, and reads back the lock LEDs the compositor sets on it, so the key thread can
// light them on the real keyboards it holds. Key thread only.
class UinputKeyboard final : public KeySink {
  public:
    // The device name; the keyboard directory skips a device of this name so Pastiq never
    // grabs its own output.
    static constexpr const char* kDeviceName = "Pastiq virtual keyboard";
    // The LEDs it offers the compositor, and the ones worth lighting on a real keyboard.
    static constexpr std::array<std::uint16_t, 3> kLockLeds{LED_NUML, LED_CAPSL, LED_SCROLLL};

    // `fd` is a created uinput device (see openUinputKeyboard), or any stream in its place.
    explicit UinputKeyboard(UniqueFd fd) : fd_(std::move(fd)) {}
    ~UinputKeyboard() override;

    bool send(const std::vector<KeyStroke>& strokes) override;
    void releaseAll() override;

    // Readable when the compositor changed an LED; for poll().
    [[nodiscard]] int fd() const override { return fd_.get(); }
    // Takes in the LED changes that wait, without blocking. False once the device is gone.
    bool readLeds() override;
    // Whether the compositor last lit the LED `code` (LED_CAPSL, ...): what a keyboard Pastiq
    // grabs, or one plugged in during a grab, should show.
    [[nodiscard]] bool isLedOn(std::uint16_t code) const override {
        return code < LED_CNT && leds_.test(code);
    }

  private:
    bool write(const std::vector<input_event>& events);

    UniqueFd fd_;
    KeyCodeSet held_;
    std::bitset<LED_CNT> leds_;
};

// What opening the virtual keyboard gave: the keyboard, or the errno that stopped it (EACCES
// when the user may not write /dev/uinput, ENOENT when the kernel has no uinput module).
struct UinputOpening {
    std::unique_ptr<UinputKeyboard> keyboard;
    int error = 0;
};

// Opens /dev/uinput and creates the virtual keyboard on it: every keyboard key, the lock LEDs,
// and no kernel auto-repeat (the compositor repeats keys itself).
[[nodiscard]] UinputOpening openUinputKeyboard();

}  // namespace pastiq::wayland
