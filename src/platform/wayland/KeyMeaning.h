#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/ports/KeyGrab.h"

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace pastiq::wayland {

// What evdev key codes mean to applications under the compositor's keymap. Applications match
// Ctrl+V and Ctrl+C by the letter the key types, so on Dvorak or AZERTY the paste key sits
// elsewhere than KEY_V; the brackets stay at their physical positions, since many layouts type
// [ and ] only with AltGr. The modifiers are xkb's effective ones, so an option such as
// Caps-as-Ctrl reads as Ctrl exactly as applications see it. Key thread only.
class KeyMeaning {
  public:
    KeyMeaning();
    ~KeyMeaning();
    KeyMeaning(const KeyMeaning&) = delete;
    KeyMeaning& operator=(const KeyMeaning&) = delete;

    // Compiles the compositor's keymap text and replays the keys still held into the fresh
    // state, so a modifier held across a layout change keeps counting. False when the text does
    // not compile; the previous keymap stays.
    bool setKeymap(const std::string& text, const std::vector<std::uint16_t>& heldCodes);
    [[nodiscard]] bool hasKeymap() const { return state_ != nullptr; }

    // What a press of `code` means in the current state (before the press itself is applied).
    [[nodiscard]] KeyEvent pressOf(std::uint16_t code) const;
    // Follows one press or release; every key counts, grabbed or not.
    void update(std::uint16_t code, bool pressed);
    [[nodiscard]] Modifiers modifiers() const;
    // Whether the key sets Ctrl, Shift, Alt or Super (whichever key the keymap gives them).
    [[nodiscard]] bool isShortcutModifier(std::uint16_t code) const;
    // The evdev code of the key applications take for Ctrl+C now.
    [[nodiscard]] std::uint16_t copyKey() const { return letterKeys().c; }

  private:
    // The keys typing c and v in one layout group, 0 where the group types no such letter.
    struct LetterKeys {
        std::uint16_t c = 0;
        std::uint16_t v = 0;
        bool typesLatin = false;
    };

    [[nodiscard]] LetterKeys letterKeys() const;
    [[nodiscard]] bool isActive(std::uint32_t modifier) const;

    std::unique_ptr<xkb_context, void (*)(xkb_context*)> context_;
    std::unique_ptr<xkb_keymap, void (*)(xkb_keymap*)> keymap_;
    std::unique_ptr<xkb_state, void (*)(xkb_state*)> state_;
    std::vector<LetterKeys> groups_;
    std::uint32_t ctrl_ = 0;
    std::uint32_t shift_ = 0;
    std::uint32_t alt_ = 0;
    std::uint32_t super_ = 0;
};

}  // namespace pastiq::wayland
