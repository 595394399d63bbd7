#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/ports/KeyTapBackend.h"

namespace pastiq::x11 {

// Keycodes of the physical positions Pastiq listens at, whatever the active layout.
struct KeyPositions {
    xcb_keycode_t c = 0;             // AB03
    xcb_keycode_t v = 0;             // AB04
    xcb_keycode_t leftBracket = 0;   // AD11
    xcb_keycode_t rightBracket = 0;  // AD12
    xcb_keycode_t leftControl = 0;   // LCTL
    friend bool operator==(const KeyPositions&, const KeyPositions&) = default;
};

// What the grabs need to know about the keyboard right now.
struct KeyboardLayout {
    KeyPositions keys;
    // Every combination of the lock modifiers (Caps Lock, Num Lock, Scroll Lock), 0 first. A
    // passive grab matches one exact modifier state, so each shortcut is grabbed once per entry.
    std::vector<std::uint16_t> lockCombinations{0};
    friend bool operator==(const KeyboardLayout&, const KeyboardLayout&) = default;

    [[nodiscard]] KeyPosition positionOf(xcb_keycode_t keycode) const;

    // Reads the server's keymap: key names through XKB, the lock modifiers through the
    // modifier mapping. Nothing when a shortcut's key position does not exist.
    static std::optional<KeyboardLayout> read(xcb_connection_t* connection);
};

// Every subset of the given modifier masks, the empty one first; duplicates and zero masks are
// dropped.
[[nodiscard]] std::vector<std::uint16_t> lockCombinationsOf(std::vector<std::uint16_t> masks);

}  // namespace pastiq::x11
