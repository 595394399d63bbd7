#pragma once

#include "engine/ports/DisplayBackend.h"

namespace pastiq {

// Stands in for the display adapters when there is no usable display (DISPLAY and
// WAYLAND_DISPLAY unset, a server without XInput 2, a compositor that refused Pastiq). Pastiq keeps
// running with its tray and onboarding window, and everything that needs the display refuses: input
// access is never granted, so the session controller never starts a session, and the panels get no
// window-manager hints.
class NoDisplayPorts final : public DisplayBackend,
                             public Clipboard,
                             public KeyGrab,
                             public HotkeyGrab,
                             public EventPoster,
                             public ModifierState,
                             public FocusProbe,
                             public InputAccess,
                             public SelectionProbe,
                             public WindowSystem {
  public:
    [[nodiscard]] DisplayPorts ports() override;
    [[nodiscard]] std::string_view name() const override { return "none"; }
    void onConnectionLost(std::function<void()> /*handler*/) override {}

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
    [[nodiscard]] bool hasInputAccess() override;
    [[nodiscard]] bool selectionIsEmpty() override { return false; }

    [[nodiscard]] bool isCompositing() override { return false; }
    void prepareFloatingPanel(WindowId /*window*/) override {}
    [[nodiscard]] WindowId activeWindow() override { return 0; }
    void activate(WindowId /*window*/) override {}
    void focusDirectly(WindowId /*window*/) override {}
};

}  // namespace pastiq
