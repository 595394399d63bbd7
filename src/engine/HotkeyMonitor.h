#pragma once

#include <functional>

#include "engine/ports/HotkeyBackend.h"

namespace pastiq {

// The start hot key Ctrl+Alt+C. Registering again replaces the earlier registration.
class HotkeyMonitor {
  public:
    explicit HotkeyMonitor(HotkeyBackend& backend);
    ~HotkeyMonitor();
    HotkeyMonitor(const HotkeyMonitor&) = delete;
    HotkeyMonitor& operator=(const HotkeyMonitor&) = delete;

    std::function<void()> onPressed;

    void registerHotkey();
    void unregisterHotkey();
    [[nodiscard]] bool isRegistered() const { return isRegistered_; }

  private:
    HotkeyBackend& backend_;
    bool isRegistered_ = false;
};

}  // namespace pastiq
