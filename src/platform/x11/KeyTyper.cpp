#include "platform/x11/KeyTyper.h"

#include <xcb/xtest.h>

#include <algorithm>
#include <array>
#include <span>

#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"

namespace pastiq::x11 {
namespace {

constexpr xcb_keysym_t kKeysymV = 0x0076;
constexpr xcb_keysym_t kKeysymUpperV = 0x0056;
constexpr xcb_keysym_t kKeysymTab = 0xff09;
constexpr xcb_keysym_t kKeysymReturn = 0xff0d;
// In the order of the core modifier mapping: Shift, Lock, Control, Mod1 to Mod5.
constexpr std::size_t kLockIndex = 1;
constexpr std::size_t kControlIndex = 2;
constexpr std::size_t kModifierCount = 8;
constexpr unsigned kBitsPerByte = 8;

bool isDown(std::span<const std::uint8_t> keymap, xcb_keycode_t keycode) {
    return (keymap[keycode / kBitsPerByte] & (1U << (keycode % kBitsPerByte))) != 0;
}

}  // namespace

bool HeldModifiers::holds(xcb_keycode_t keycode) const {
    return std::find(control.begin(), control.end(), keycode) != control.end() ||
           std::find(others.begin(), others.end(), keycode) != others.end();
}

std::vector<KeyStroke> typingStrokes(xcb_keycode_t key, const HeldModifiers& held, bool withControl,
                                     xcb_keycode_t control) {
    std::vector<xcb_keycode_t> lifted = held.others;
    if (!withControl) {
        lifted.insert(lifted.end(), held.control.begin(), held.control.end());
    }
    if (control == 0 || held.holds(control)) {
        control = held.freeControl.empty() ? 0 : held.freeControl.front();
    }
    const bool pressesControl = withControl && control != 0;
    std::vector<KeyStroke> strokes;
    strokes.reserve(2 * lifted.size() + 4);
    for (const xcb_keycode_t modifier : lifted) {
        strokes.push_back({modifier, false});
    }
    if (pressesControl) {
        strokes.push_back({control, true});
    }
    strokes.push_back({key, true});
    strokes.push_back({key, false});
    if (pressesControl) {
        strokes.push_back({control, false});
    }
    for (auto modifier = lifted.rbegin(); modifier != lifted.rend(); ++modifier) {
        strokes.push_back({*modifier, true});
    }
    return strokes;
}

bool KeyTyper::prepare() {
    xcb_connection_t* c = connection_.get();
    const xcb_setup_t* setup = xcb_get_setup(c);
    const auto first = setup->min_keycode;
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - first + 1);
    const auto reply = fetchReply<xcb_get_keyboard_mapping_reply_t>(
        c, xcb_get_keyboard_mapping(c, first, count), xcb_get_keyboard_mapping_reply);
    if (!reply || reply->keysyms_per_keycode == 0) {
        return false;
    }
    const std::span<const xcb_keysym_t> syms(
        xcb_get_keyboard_mapping_keysyms(reply.get()),
        static_cast<std::size_t>(xcb_get_keyboard_mapping_keysyms_length(reply.get())));
    const std::size_t perKey = reply->keysyms_per_keycode;
    auto symsOf = [&](std::size_t index) { return syms.subspan(index * perKey, perKey); };
    tab_ = 0;
    return_ = 0;
    xcb_keycode_t unused = 0;
    for (std::size_t index = 0; index < count && (index + 1) * perKey <= syms.size(); ++index) {
        const auto keycode = static_cast<xcb_keycode_t>(first + index);
        const auto keySyms = symsOf(index);
        tab_ = tab_ == 0 && keySyms[0] == kKeysymTab ? keycode : tab_;
        return_ = return_ == 0 && keySyms[0] == kKeysymReturn ? keycode : return_;
        // Still Pastiq's from an earlier call, or else the highest unused keycode, as far as
        // possible from the keys a keyboard has.
        const bool isOurs = keycode == spare_ && keySyms[0] == kKeysymV;
        const bool isFree = spare_ == 0 && std::all_of(keySyms.begin(), keySyms.end(),
                                                       [](xcb_keysym_t sym) { return sym == 0; });
        unused = isOurs || isFree ? keycode : unused;
    }
    if (unused == 0) {
        spare_ = 0;
        return false;
    }
    if (unused != spare_) {
        const std::array<xcb_keysym_t, 2> typesV{kKeysymV, kKeysymUpperV};
        if (checkRequest(c, xcb_change_keyboard_mapping_checked(c, 1, unused, typesV.size(),
                                                                typesV.data()))) {
            return false;
        }
        spare_ = unused;
    }
    return true;
}

void KeyTyper::release() {
    if (spare_ == 0) {
        return;
    }
    const std::array<xcb_keysym_t, 2> nothing{0, 0};
    xcb_change_keyboard_mapping(connection_.get(), 1, spare_, nothing.size(), nothing.data());
    xcb_flush(connection_.get());
    spare_ = 0;
}

bool KeyTyper::typePaste(const HeldModifiers& held, xcb_keycode_t control) {
    // A desktop that applies its keymap again takes the spare key back; it is mapped anew, and
    // the application reads the new keymap before the key, which comes after it.
    if (!spareTypesV()) {
        spare_ = 0;
        prepare();
    }
    return spare_ != 0 && type(held, spare_, true, control);
}

bool KeyTyper::spareTypesV() const {
    if (spare_ == 0) {
        return false;
    }
    xcb_connection_t* c = connection_.get();
    const auto reply = fetchReply<xcb_get_keyboard_mapping_reply_t>(
        c, xcb_get_keyboard_mapping(c, spare_, 1), xcb_get_keyboard_mapping_reply);
    return reply && xcb_get_keyboard_mapping_keysyms_length(reply.get()) > 0 &&
           xcb_get_keyboard_mapping_keysyms(reply.get())[0] == kKeysymV;
}

bool KeyTyper::typeKey(const HeldModifiers& held, AfterPasteKey key) {
    const xcb_keycode_t keycode = key == AfterPasteKey::tab         ? tab_
                                  : key == AfterPasteKey::returnKey ? return_
                                                                    : 0;
    return keycode != 0 && type(held, keycode, false, 0);
}

bool KeyTyper::type(const HeldModifiers& held, xcb_keycode_t key, bool withControl,
                    xcb_keycode_t control) {
    xcb_connection_t* c = connection_.get();
    liftLeftoverPresses(held);
    bool typed = true;
    std::vector<xcb_void_cookie_t> cookies;
    for (const KeyStroke& stroke : typingStrokes(key, held, withControl, control)) {
        cookies.push_back(
            xcb_test_fake_input_checked(c, stroke.isPress ? XCB_KEY_PRESS : XCB_KEY_RELEASE,
                                        stroke.keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0));
        // The Control pressed for the key is never one the user holds.
        const bool isModifierAgain = stroke.isPress && held.holds(stroke.keycode);
        if (isModifierAgain && std::find(pressedAgain_.begin(), pressedAgain_.end(),
                                         stroke.keycode) == pressedAgain_.end()) {
            pressedAgain_.push_back(stroke.keycode);
        }
    }
    if (!cookies.empty()) {
        lastStrokeSequence_ = cookies.back().sequence;
    }
    for (const auto cookie : cookies) {
        typed = !checkRequest(c, cookie) && typed;
    }
    return typed;
}

void KeyTyper::releaseServer() {
    xcb_ungrab_server(connection_.get());
    xcb_flush(connection_.get());
}

HeldModifiers KeyTyper::holdServer() {
    xcb_connection_t* c = connection_.get();
    xcb_grab_server(c);
    const auto keymapCookie = xcb_query_keymap(c);
    const auto mapping = fetchReply<xcb_get_modifier_mapping_reply_t>(
        c, xcb_get_modifier_mapping(c), xcb_get_modifier_mapping_reply);
    const auto keymap =
        fetchReply<xcb_query_keymap_reply_t>(c, keymapCookie, xcb_query_keymap_reply);
    HeldModifiers held;
    if (!mapping || !keymap) {
        return held;
    }
    const std::size_t perModifier = mapping->keycodes_per_modifier;
    const std::span<const xcb_keycode_t> keycodes(xcb_get_modifier_mapping_keycodes(mapping.get()),
                                                  perModifier * kModifierCount);
    for (std::size_t index = 0; index < keycodes.size(); ++index) {
        const xcb_keycode_t keycode = keycodes[index];
        const std::size_t modifier = index / perModifier;
        if (keycode == 0 || modifier == kLockIndex) {
            continue;
        }
        const bool isControl = modifier == kControlIndex;
        const bool isHeld = isDown(keymap->keys, keycode);
        if (!isHeld && !isControl) {
            continue;
        }
        auto& group = !isHeld ? held.freeControl : isControl ? held.control : held.others;
        if (std::find(group.begin(), group.end(), keycode) == group.end()) {
            group.push_back(keycode);
        }
    }
    return held;
}

void KeyTyper::liftLeftoverPresses(const HeldModifiers& held) {
    std::erase_if(pressedAgain_, [&](xcb_keycode_t keycode) {
        if (held.holds(keycode)) {
            return false;
        }
        // Released at the server already: this only clears XTEST's own device.
        xcb_test_fake_input(connection_.get(), XCB_KEY_RELEASE, keycode, XCB_CURRENT_TIME, XCB_NONE,
                            0, 0, 0);
        return true;
    });
}

}  // namespace pastiq::x11
