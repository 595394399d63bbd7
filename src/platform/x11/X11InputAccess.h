#pragma once

#include "engine/ports/InputAccess.h"

namespace pastiq::x11 {

// Pastiq can read and send keys when the X11 display offers XInput 2.2, XTEST, XFIXES and XKB
// and the session is not a Wayland one (there X11 grabs see only XWayland windows). There is
// no permission to ask for, so the prompt flag changes nothing.
class X11InputAccess final : public InputAccess {
  public:
    explicit X11InputAccess(bool displayOffersInput) : displayOffersInput_(displayOffersInput) {}
    [[nodiscard]] bool hasInputAccess() override;
    [[nodiscard]] static bool isWaylandSession();

  private:
    bool displayOffersInput_;
};

}  // namespace pastiq::x11
