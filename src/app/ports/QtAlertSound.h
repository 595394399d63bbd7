#pragma once

#include "engine/ports/AlertSound.h"

namespace pastiq {

// The X bell, which the desktop may turn into its own alert sound.
class QtAlertSound final : public AlertSound {
  public:
    void beep() override;
};

}  // namespace pastiq
