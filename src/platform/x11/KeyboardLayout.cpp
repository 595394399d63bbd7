#include "platform/x11/KeyboardLayout.h"

#include <algorithm>
#include <array>

#include "platform/x11/XReply.h"
#include "platform/x11/XkbKeyNames.h"

namespace pastiq::x11 {
namespace {

constexpr xcb_keysym_t kNumLock = 0xff7f;
constexpr xcb_keysym_t kScrollLock = 0xff14;
// Modifier rows of the core modifier mapping: Shift, Lock, Control, Mod1 ... Mod5.
constexpr int kModifierRows = 8;

std::optional<KeyPositions> readKeyPositions(xcb_connection_t* connection) {
    const auto names = XkbKeyNames::read(connection);
    if (!names) {
        return std::nullopt;
    }
    KeyPositions keys{names->keycodeOf("AB03"), names->keycodeOf("AB04"), names->keycodeOf("AD11"),
                      names->keycodeOf("AD12"), names->keycodeOf("LCTL")};
    if (keys.c == 0 || keys.v == 0 || keys.leftBracket == 0 || keys.rightBracket == 0) {
        return std::nullopt;
    }
    return keys;
}

// The modifier masks that Num Lock and Scroll Lock set, 0 where the key is absent.
std::array<std::uint16_t, 2> readLockKeyMasks(xcb_connection_t* connection) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const auto keyCount = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    auto modifierCookie = xcb_get_modifier_mapping(connection);
    auto keyboardCookie = xcb_get_keyboard_mapping(connection, setup->min_keycode, keyCount);
    const auto modifiers = fetchReply<xcb_get_modifier_mapping_reply_t>(
        connection, modifierCookie, xcb_get_modifier_mapping_reply);
    const auto keyboard = fetchReply<xcb_get_keyboard_mapping_reply_t>(
        connection, keyboardCookie, xcb_get_keyboard_mapping_reply);
    std::array<std::uint16_t, 2> masks{0, 0};
    if (!modifiers || !keyboard) {
        return masks;
    }
    const xcb_keycode_t* modifierKeys = xcb_get_modifier_mapping_keycodes(modifiers.get());
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    const int perKey = keyboard->keysyms_per_keycode;
    const int perModifier = modifiers->keycodes_per_modifier;
    for (int row = 0; row < kModifierRows; ++row) {
        for (int column = 0; column < perModifier; ++column) {
            const xcb_keycode_t keycode = modifierKeys[row * perModifier + column];
            if (keycode < setup->min_keycode || keycode > setup->max_keycode) {
                continue;
            }
            const xcb_keysym_t* syms =
                keysyms + static_cast<std::ptrdiff_t>(keycode - setup->min_keycode) * perKey;
            const auto bit = static_cast<std::uint16_t>(1U << row);
            if (std::find(syms, syms + perKey, kNumLock) != syms + perKey) {
                masks[0] |= bit;
            }
            if (std::find(syms, syms + perKey, kScrollLock) != syms + perKey) {
                masks[1] |= bit;
            }
        }
    }
    return masks;
}

}  // namespace

KeyPosition KeyboardLayout::positionOf(xcb_keycode_t keycode) const {
    if (keycode == keys.c) {
        return KeyPosition::c;
    }
    if (keycode == keys.v) {
        return KeyPosition::v;
    }
    if (keycode == keys.leftBracket) {
        return KeyPosition::leftBracket;
    }
    if (keycode == keys.rightBracket) {
        return KeyPosition::rightBracket;
    }
    return KeyPosition::other;
}

KeyboardLayout KeyboardLayout::typingLetters(const LetterKeys& letters, std::uint8_t group) const {
    const auto keyTyping = [&](std::uint32_t letter, xcb_keycode_t qwertyPosition) {
        const xcb_keycode_t typing = letters.keyFor(letter, group);
        return typing != 0 ? typing : qwertyPosition;
    };
    KeyboardLayout layout = *this;
    layout.keys.c = keyTyping('c', keys.c);
    layout.keys.v = keyTyping('v', keys.v);
    return layout;
}

std::optional<KeyboardLayout> KeyboardLayout::read(xcb_connection_t* connection) {
    const auto keys = readKeyPositions(connection);
    if (!keys) {
        return std::nullopt;
    }
    const auto [numLock, scrollLock] = readLockKeyMasks(connection);
    return KeyboardLayout{*keys, lockCombinationsOf({XCB_MOD_MASK_LOCK, numLock, scrollLock})};
}

std::vector<std::uint16_t> lockCombinationsOf(std::vector<std::uint16_t> masks) {
    std::erase(masks, 0);
    std::sort(masks.begin(), masks.end());
    masks.erase(std::unique(masks.begin(), masks.end()), masks.end());
    std::vector<std::uint16_t> combinations{0};
    for (const auto mask : masks) {
        const std::size_t count = combinations.size();
        for (std::size_t i = 0; i < count; ++i) {
            combinations.push_back(static_cast<std::uint16_t>(combinations[i] | mask));
        }
    }
    std::sort(combinations.begin(), combinations.end());
    combinations.erase(std::unique(combinations.begin(), combinations.end()), combinations.end());
    return combinations;
}

}  // namespace pastiq::x11
