#pragma once

#include <functional>

#include "engine/ports/KeyTapBackend.h"
#include "engine/ports/Scheduler.h"

namespace pastiq {

// Recognises Ctrl+V, Ctrl+C, Ctrl+[ and Ctrl+] while installed. Ctrl+V's callback runs before
// the key is passed on, so the clipboard holds the next item when the application pastes;
// the other callbacks are queued on the main loop. Ctrl+[ and Ctrl+] are consumed.
class PasteEventTap {
  public:
    PasteEventTap(KeyTapBackend& backend, Scheduler& scheduler);
    ~PasteEventTap();
    PasteEventTap(const PasteEventTap&) = delete;
    PasteEventTap& operator=(const PasteEventTap&) = delete;

    std::function<void()> onCommandV;
    std::function<void()> onCommandC;
    std::function<void()> onStepBackward;
    std::function<void()> onStepForward;

    // Installing twice leaves one interception. False when the system refused.
    bool install();
    void remove();
    [[nodiscard]] bool isInstalled() const { return isInstalled_; }

    // Ctrl held without Shift, Alt or Super, the given key, and not an auto-repeat.
    [[nodiscard]] static bool matches(const KeyEvent& event, KeyPosition key);
    KeyVerdict handleEvent(const KeyEvent& event);
    void handleDisabled();

  private:
    void queue(const std::function<void()>& callback);

    KeyTapBackend& backend_;
    Scheduler& scheduler_;
    bool isInstalled_ = false;
};

}  // namespace pastiq
