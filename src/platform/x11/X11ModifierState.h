#pragma once

#include "engine/ports/ModifierState.h"

namespace pastiq::x11 {

class KeyboardTracker;

// The server's modifier state as XKB last reported it to the X11 thread.
class X11ModifierState final : public ModifierState {
  public:
    explicit X11ModifierState(const KeyboardTracker& keyboard) : keyboard_(keyboard) {}
    [[nodiscard]] bool isCtrlOrAltHeld() override;

  private:
    const KeyboardTracker& keyboard_;
};

}  // namespace pastiq::x11
