#pragma once

#include <functional>
#include <memory>

#include "engine/ports/HotkeyGrab.h"
#include "model/StepGuard.h"
#include "platform/wayland/MainThread.h"

namespace pastiq {
class Log;
}

namespace pastiq::wayland {

class KeyLoop;
class KeyboardHub;

// Ctrl+Alt+C, seen on the key thread's watch of the keyboards. Pastiq holds no grab all day for
// it: a raw grab passes every key the user types through Pastiq, which only a running session
// justifies. So while no session has the keyboards, the hot key is only watched and its press
// also reaches the focused application (where Ctrl+Alt+C is rarely bound); while a session has
// them, the press is Pastiq's alone.
class WaylandHotkey final : public HotkeyGrab {
  public:
    WaylandHotkey(KeyLoop& loop, KeyboardHub& hub, MainThreadPost mainThread, Log& log);
    ~WaylandHotkey() override;
    WaylandHotkey(const WaylandHotkey&) = delete;
    WaylandHotkey& operator=(const WaylandHotkey&) = delete;

    // Main thread.
    void registerHotkey(std::function<void()> onPressed) override;
    void unregisterHotkey() override;

    // Key thread: the hub saw the hot key go down.
    void handlePress() const;

  private:
    KeyLoop& loop_;
    KeyboardHub& hub_;
    MainThreadPost mainThread_;
    Log& log_;
    // Main thread.
    std::shared_ptr<std::function<void()>> onPressed_;
    StepGuard mainGuard_;
};

}  // namespace pastiq::wayland
