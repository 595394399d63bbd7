#pragma once

#include <optional>

#include "engine/ports/EventPoster.h"

namespace pastiq::x11 {

class KeyboardTracker;
struct KeyboardLayout;
class X11KeyGrab;
class XConnection;
class XEventLoop;

// Ctrl+C through XTEST, on the key that applications take for Ctrl+C. Sent on the key thread's
// connection, behind the hot key's ungrab, so the application has its focus back first. Refused
// while Pastiq's own Ctrl+C grab is active (the grab would catch the keystroke and take it for the
// user's copy) and while Alt is held (the keystroke would be the hot key, not a copy).
class X11EventPoster final : public EventPoster {
  public:
    X11EventPoster(XConnection& connection, XEventLoop& loop, const X11KeyGrab& keyGrab,
                   const std::optional<KeyboardLayout>& layout, const KeyboardTracker& keyboard);
    bool postCopyKeystroke() override;

  private:
    bool post();

    XConnection& connection_;
    XEventLoop& loop_;
    const X11KeyGrab& keyGrab_;
    const std::optional<KeyboardLayout>& layout_;  // the key thread's copy
    const KeyboardTracker& keyboard_;              // its modifier mask: any thread
};

}  // namespace pastiq::x11
