#pragma once

#include "engine/ports/EventPoster.h"

namespace pastiq::wayland {

class KeyLoop;
class KeyboardHub;

// Ctrl+C through the virtual keyboard, on the key applications take for Ctrl+C, behind every
// key already on its way, and never judged by Pastiq's own session keys. Refused while Alt is
// held, since the keystroke would then be the hot key rather than a copy.
class WaylandEventPoster final : public EventPoster {
  public:
    WaylandEventPoster(KeyLoop& loop, KeyboardHub& hub) : loop_(loop), hub_(hub) {}
    bool postCopyKeystroke() override;

  private:
    bool post();

    KeyLoop& loop_;
    KeyboardHub& hub_;
};

}  // namespace pastiq::wayland
