#pragma once

#include "engine/ports/EventPoster.h"
#include "engine/ports/FocusProbe.h"
#include "engine/ports/HotkeyBackend.h"
#include "engine/ports/InputAccess.h"
#include "engine/ports/KeyTapBackend.h"
#include "engine/ports/ModifierState.h"
#include "engine/ports/Pasteboard.h"
#include "engine/ports/SelectionProbe.h"

namespace pastiq {

// Stands in for the X11 adapters when there is no usable X display (a Wayland-only session,
// DISPLAY unset, a server without XInput 2). Pastiq keeps running with its tray and onboarding
// window, and everything that needs the display refuses: input access is never granted, so the
// session controller never starts a session.
class NoDisplayPorts final : public Pasteboard,
                             public KeyTapBackend,
                             public HotkeyBackend,
                             public EventPoster,
                             public ModifierState,
                             public FocusProbe,
                             public InputAccess,
                             public SelectionProbe {
  public:
    [[nodiscard]] std::int64_t changeCount() const override { return 0; }
    // Answers on the next turn of the event loop, with nothing.
    void readText(ReadCompletion completion) override;
    void writeText(const std::string& text) override;
    void clear() override {}

    bool install(Handlers handlers) override;
    void remove() override {}
    void enable() override {}

    void registerHotkey(std::function<void()> onPressed) override;
    void unregisterHotkey() override {}

    bool postCopyKeystroke() override { return false; }
    [[nodiscard]] bool isHotkeyHeld() override { return false; }
    [[nodiscard]] bool isOwnApplicationActive() override { return false; }
    [[nodiscard]] bool isTrusted(bool prompt) override;
    [[nodiscard]] bool selectionIsEmpty() override { return false; }
};

}  // namespace pastiq
