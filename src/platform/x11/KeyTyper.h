#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/AfterEachPaste.h"

namespace pastiq::x11 {

class XConnection;

struct KeyStroke {
    xcb_keycode_t keycode = 0;
    bool isPress = false;
    friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// Modifier keys down at the server right now: the Control keys apart from the others (Shift,
// Alt, Super, AltGr), and the Control keys that are up. Lock modifiers are not keys held down
// and are left alone.
struct HeldModifiers {
    std::vector<xcb_keycode_t> control;
    std::vector<xcb_keycode_t> others;
    std::vector<xcb_keycode_t> freeControl;

    // Whether the user holds this modifier key down.
    [[nodiscard]] bool holds(xcb_keycode_t keycode) const;
    [[nodiscard]] bool holdsAny() const { return !control.empty() || !others.empty(); }
};

// The strokes that type `key` with Control held (`withControl`) or with no modifier at all,
// whatever the user holds: modifiers in the way are lifted first and pressed again after, so
// the user's keys are as they were. Control, when wanted, is pressed on a Control key the user
// does not hold (`control` first) and lifted again: a Ctrl the user holds may be let go before
// the key arrives. Only with every Control key held does the key count on the user's.
[[nodiscard]] std::vector<KeyStroke> typingStrokes(xcb_keycode_t key, const HeldModifiers& held,
                                                   bool withControl, xcb_keycode_t control);

// Types into whatever has the keyboard focus through XTEST, on the key thread's connection,
// so the keys queue like a keyboard's. The Ctrl+V it types is on a spare keycode mapped to v:
// Pastiq's own grab of Ctrl+V sits on the layout's v key and never sees it. Key thread only.
class KeyTyper {
  public:
    explicit KeyTyper(XConnection& connection) : connection_(connection) {}
    KeyTyper(const KeyTyper&) = delete;
    KeyTyper& operator=(const KeyTyper&) = delete;

    // Maps the spare key (once) and looks up Tab and Return. Done ahead of the first paste
    // Pastiq types, so applications have read the new keymap by then. False without a spare
    // keycode.
    bool prepare();
    // Gives the spare keycode back to the keymap.
    void release();

    // Holds the server until releaseServer() and tells the modifiers held: no other client's
    // key (one typed through XTEST, as Pastiq does) can come between that look and the keys
    // typed on it. Held for a round trip or two at most.
    [[nodiscard]] HeldModifiers holdServer();
    void releaseServer();

    // Type with `held` the modifiers held now, between holdServer() and releaseServer().
    bool typePaste(const HeldModifiers& held, xcb_keycode_t control);
    bool typeKey(const HeldModifiers& held, AfterPasteKey key);
    // The sequence number of the request that sent the last stroke typed, if any was.
    [[nodiscard]] std::optional<std::uint32_t> lastStrokeSequence() const {
        return lastStrokeSequence_;
    }

  private:
    bool type(const HeldModifiers& held, xcb_keycode_t key, bool withControl,
              xcb_keycode_t control);
    [[nodiscard]] bool spareTypesV() const;
    void liftLeftoverPresses(const HeldModifiers& held);

    XConnection& connection_;
    xcb_keycode_t spare_ = 0;
    xcb_keycode_t tab_ = 0;
    xcb_keycode_t return_ = 0;
    // Modifiers pressed again after a key, on XTEST's own device. When the user lets go of one
    // on the keyboard it stays down on that device, so it is lifted there once the server no
    // longer holds it, or a later Ctrl typed through XTEST would be taken for a repeat.
    std::vector<xcb_keycode_t> pressedAgain_;
    std::optional<std::uint32_t> lastStrokeSequence_;
};

}  // namespace pastiq::x11
