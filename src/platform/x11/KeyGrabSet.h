#pragma once

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdint>
#include <vector>

namespace pastiq::x11 {

class XConnection;

// One shortcut to grab: a key position with the modifiers that must be held. The lock
// modifiers are added to it in every combination.
struct KeyChord {
    xcb_keycode_t keycode = 0;
    std::uint16_t modifiers = 0;
};

// A set of XInput 2 passive key grabs on the root window of the master keyboard, installed all
// together or not at all.
class KeyGrabSet {
  public:
    // `synchronous`: the keyboard freezes on a grabbed press until the event is allowed.
    KeyGrabSet(XConnection& connection, bool synchronous);
    ~KeyGrabSet();
    KeyGrabSet(const KeyGrabSet&) = delete;
    KeyGrabSet& operator=(const KeyGrabSet&) = delete;

    // X11 thread. Replaces any earlier grabs. False, with nothing grabbed, when any single grab
    // failed (another client holds it, or the server refused).
    bool grab(const std::vector<KeyChord>& chords, const std::vector<std::uint16_t>& locks);
    // X11 thread.
    void release();
    [[nodiscard]] bool isActive() const { return !grabbed_.empty(); }

  private:
    struct Grabbed {
        xcb_keycode_t keycode;
        std::vector<std::uint32_t> modifiers;
    };
    void ungrab(const Grabbed& grabbed);

    XConnection& connection_;
    bool synchronous_;
    std::vector<Grabbed> grabbed_;
};

}  // namespace pastiq::x11
