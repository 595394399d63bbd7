#include "platform/x11/X11ModifierState.h"

#include <xcb/xcb.h>

#include "platform/x11/KeyboardTracker.h"

namespace pastiq::x11 {

bool X11ModifierState::isCtrlOrAltHeld() {
    return (keyboard_.modifierMask() & (XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1)) != 0;
}

}  // namespace pastiq::x11
