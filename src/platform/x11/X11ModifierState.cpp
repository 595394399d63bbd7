#include "platform/x11/X11ModifierState.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/x11/KeyboardTracker.h"
#include "platform/x11/X11Hotkey.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"
#include "platform/x11/XThreadCall.h"

namespace pastiq::x11 {
namespace {

// A busy X11 thread answers "not held": the wait must not hold the copy back for long.
constexpr std::chrono::milliseconds kQueryBound{100};

// The keycodes the modifier mapping binds to Control and Mod1 (Alt).
std::vector<xcb_keycode_t> hotkeyModifierKeys(const xcb_get_modifier_mapping_reply_t& mapping) {
    const std::span keycodes(
        xcb_get_modifier_mapping_keycodes(&mapping),
        static_cast<std::size_t>(xcb_get_modifier_mapping_keycodes_length(&mapping)));
    const std::size_t perModifier = mapping.keycodes_per_modifier;
    std::vector<xcb_keycode_t> keys;
    for (const std::size_t row : {XCB_MAP_INDEX_CONTROL, XCB_MAP_INDEX_1}) {
        const auto rowKeys = keycodes.subspan(row * perModifier, perModifier);
        std::copy_if(rowKeys.begin(), rowKeys.end(), std::back_inserter(keys),
                     [](xcb_keycode_t key) { return key != 0; });
    }
    return keys;
}

bool isDown(const xcb_query_keymap_reply_t& keymap, xcb_keycode_t key) {
    return (keymap.keys[key / 8] & (1U << (key % 8))) != 0;
}

}  // namespace

X11ModifierState::X11ModifierState(XConnection& connection, XEventLoop& loop,
                                   const KeyboardTracker& keyboard)
    : connection_(connection), loop_(loop), keyboard_(keyboard) {}

bool X11ModifierState::isHotkeyHeld() {
    if ((keyboard_.modifierMask() & X11Hotkey::kModifiers) != 0) {
        return true;
    }
    return callOnXThread<bool>(loop_, kQueryBound, [this] { return isHotkeyKeyDown(); })
        .value_or(false);
}

bool X11ModifierState::isHotkeyKeyDown() const {
    xcb_connection_t* connection = connection_.get();
    const auto keymapCookie = xcb_query_keymap(connection);
    const auto mappingCookie = xcb_get_modifier_mapping(connection);
    const auto keymap =
        fetchReply<xcb_query_keymap_reply_t>(connection, keymapCookie, xcb_query_keymap_reply);
    const auto mapping = fetchReply<xcb_get_modifier_mapping_reply_t>(
        connection, mappingCookie, xcb_get_modifier_mapping_reply);
    if (!keymap) {
        return false;
    }
    std::vector<xcb_keycode_t> keys =
        mapping ? hotkeyModifierKeys(*mapping) : std::vector<xcb_keycode_t>{};
    if (const auto& layout = keyboard_.layout()) {
        keys.push_back(layout->keys.c);
    }
    return std::any_of(keys.begin(), keys.end(),
                       [&keymap](xcb_keycode_t key) { return isDown(*keymap, key); });
}

}  // namespace pastiq::x11
