#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/wayland/KeyboardDevice.h"
#include "platform/wayland/UniqueFd.h"

struct libevdev;

namespace pastiq::wayland {

class EvdevKeyboard;

// What opening an event device gave: the keyboard; or nothing with the errno that stopped it
// (EACCES: the user is not allowed to read keyboards); or nothing and no error when the device
// is no keyboard Pastiq should hold.
struct EvdevOpening {
    std::unique_ptr<EvdevKeyboard> keyboard;
    int error = 0;
};

// A keyboard the kernel reports at /dev/input/event*, read through libevdev. Key thread only.
class EvdevKeyboard final : public KeyboardDevice {
  public:
    [[nodiscard]] static EvdevOpening open(const std::string& path);
    // A device is a keyboard to hold when it types letters and Enter: not a mouse with a few
    // keys, not a power button, and not Pastiq's own virtual keyboard.
    [[nodiscard]] static bool isTypingKeyboard(const libevdev* device);

    EvdevKeyboard(UniqueFd fd, libevdev* device);
    ~EvdevKeyboard() override;

    [[nodiscard]] int fd() const override { return fd_.get(); }
    bool read(std::vector<input_event>& events) override;
    bool grab() override;
    void ungrab() override;
    [[nodiscard]] std::vector<std::uint16_t> heldKeys() override;
    [[nodiscard]] std::string name() const override;
    // Lights a lock LED (LED_CAPSL, LED_NUML, LED_SCROLLL) as the compositor set it on Pastiq's
    // virtual keyboard: while grabbed, the compositor no longer drives this keyboard's LEDs.
    void setLed(std::uint16_t code, bool on) override;

  private:
    struct DeviceFree {
        void operator()(libevdev* device) const;
    };

    UniqueFd fd_;
    std::unique_ptr<libevdev, DeviceFree> device_;
    bool grabbed_ = false;
};

}  // namespace pastiq::wayland
