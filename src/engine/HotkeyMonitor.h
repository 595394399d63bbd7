#pragma once

#include <functional>

#include "engine/ports/HotkeyGrab.h"

namespace pastiq {

// The start hot key Ctrl+Alt+C. Registering again replaces the earlier registration.
class HotkeyMonitor {
  public:
    explicit HotkeyMonitor(HotkeyGrab& backend);
    ~HotkeyMonitor();
    HotkeyMonitor(const HotkeyMonitor&) = delete;
    HotkeyMonitor& operator=(const HotkeyMonitor&) = delete;

    std::function<void()> onPressed;

    void registerHotkey();
    void unregisterHotkey();
    [[nodiscard]] bool isRegistered() const { return isRegistered_; }

  private:
    HotkeyGrab& backend_;
    bool isRegistered_ = false;
};

}  // namespace pastiq
