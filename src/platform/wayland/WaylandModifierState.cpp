#include "platform/wayland/WaylandModifierState.h"

#include "platform/wayland/KeyboardHub.h"

namespace pastiq::wayland {

bool WaylandModifierState::isHotkeyHeld() {
    return hub_.isHotkeyHeld();
}

}  // namespace pastiq::wayland
