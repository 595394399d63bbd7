#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace pastiq::x11 {

// What one key types in one group, by shift level (0 where a level has no single keysym).
struct KeySyms {
    xcb_keycode_t keycode = 0;
    std::vector<std::uint32_t> levels;
    friend bool operator==(const KeySyms&, const KeySyms&) = default;
};

// Which key types which Latin letter in each group of the keymap. Applications match Ctrl+V and
// Ctrl+C by the letter the key types, not by where the key sits, so on Dvorak, say, the copy
// and paste keys are elsewhere than on QWERTY.
class LetterKeys {
  public:
    using Group = std::vector<KeySyms>;

    LetterKeys() = default;
    explicit LetterKeys(std::vector<Group> groups) : groups_(std::move(groups)) {}

    // The key applications take for Ctrl+`letter` (a lowercase Latin keysym, 'a' to 'z') while
    // `activeGroup` is active: the key typing the letter in that group or, when that group
    // types no Latin letter at all (Russian, Greek...), in the first group that does, as GTK
    // and Qt match shortcuts. 0 when there is no such key.
    [[nodiscard]] xcb_keycode_t keyFor(std::uint32_t letter, std::uint8_t activeGroup) const;

    // Reads the core keyboard's keymap through XKB; nothing when it cannot be read.
    static std::optional<LetterKeys> read(xcb_connection_t* connection);

    friend bool operator==(const LetterKeys&, const LetterKeys&) = default;

  private:
    [[nodiscard]] const Group* shortcutGroup(std::uint8_t activeGroup) const;

    std::vector<Group> groups_;
};

}  // namespace pastiq::x11
