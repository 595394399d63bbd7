#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pastiq::wayland {

// The compositor's active keymap, as it hands it to every application: evdev codes mean what
// applications see only through it (layout, variant, options such as Caps-as-Ctrl). Polled on
// the key thread.
class KeymapSource {
  public:
    virtual ~KeymapSource() = default;
    // Readable when the compositor sent something; for poll().
    [[nodiscard]] virtual int fd() const = 0;
    // Handles what the compositor sent, without blocking. False once the connection is gone.
    virtual bool dispatch() = 0;
    // The keymap in xkb's text format; nothing until the compositor sent one.
    [[nodiscard]] virtual const std::optional<std::string>& keymap() const = 0;
    // Advances each time a new keymap arrives (a layout or option change).
    [[nodiscard]] virtual std::uint64_t keymapGeneration() const = 0;
};

}  // namespace pastiq::wayland
