#pragma once

#include <functional>
#include <optional>

#include "engine/ports/InputAccess.h"
#include "platform/wayland/InputAccessReport.h"

namespace pastiq::wayland {

// The checks behind the input access report, replaceable in tests.
struct InputAccessProbe {
    // This process carries the `input` group (or is root), so it may read the keyboards.
    std::function<bool()> processReadsKeyboards = nullptr;
    // The account database lists the user in the `input` group.
    std::function<bool()> accountInInputGroup = nullptr;
    std::function<UinputAccess()> uinput = nullptr;
};

// The checks against this system: the process's groups, /etc/group and /dev/uinput.
[[nodiscard]] InputAccessProbe systemInputAccessProbe();

// Pastiq has input access on Wayland when it can read the keyboards, type through a virtual
// keyboard and set the clipboard; the report says which of these is missing. Main thread.
class WaylandInputAccess final : public InputAccess {
  public:
    explicit WaylandInputAccess(InputAccessProbe probe) : probe_(std::move(probe)) {}

    [[nodiscard]] bool hasInputAccess() override { return report().complete(); }
    [[nodiscard]] std::vector<InputAccessFix> missingPieces() override { return report().fixes(); }
    // Checks again each time: the user may fix a piece while Pastiq runs.
    [[nodiscard]] InputAccessReport report() const;
    // What the Wayland connection found the compositor to offer.
    void setCompositorSupport(std::optional<bool> clipboard, std::optional<bool> virtualKeyboard);

  private:
    InputAccessProbe probe_;
    std::optional<bool> compositorClipboard_;
    std::optional<bool> compositorVirtualKeyboard_;
};

}  // namespace pastiq::wayland
