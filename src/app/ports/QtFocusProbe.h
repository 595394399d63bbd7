#pragma once

#include "engine/ports/FocusProbe.h"

namespace pastiq {

// Asks the toolkit whether one of Pastiq's own windows has the keyboard. Under Wayland no
// client may learn which other application is focused, but the compositor does tell each
// application when it gains and loses the keyboard. Main thread.
class QtFocusProbe final : public FocusProbe {
  public:
    [[nodiscard]] bool isOwnApplicationActive() override;
};

}  // namespace pastiq
