#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/ports/KeyGrab.h"
#include "platform/x11/LetterKeys.h"

namespace pastiq::x11 {

// Keycodes of the keys Pastiq listens at. C and V are the keys typing c and v (read from the
// keymap, they sit at AB03 and AB04, the QWERTY positions, until the layout is applied); the
// brackets stay at their physical positions, since many layouts type [ and ] only with AltGr.
struct KeyPositions {
    xcb_keycode_t c = 0;             // types c
    xcb_keycode_t v = 0;             // types v
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
    // C and V moved to the keys typing c and v in `group`; where no group types the letter they
    // stay at the QWERTY positions, as Qt falls back to them.
    [[nodiscard]] KeyboardLayout typingLetters(const LetterKeys& letters, std::uint8_t group) const;

    // Reads the server's keymap: key names through XKB, the lock modifiers through the
    // modifier mapping; C and V at AB03 and AB04. Nothing when one of these positions does not
    // exist.
    static std::optional<KeyboardLayout> read(xcb_connection_t* connection);
};

// Every subset of the given modifier masks, the empty one first; duplicates and zero masks are
// dropped.
[[nodiscard]] std::vector<std::uint16_t> lockCombinationsOf(std::vector<std::uint16_t> masks);

}  // namespace pastiq::x11
