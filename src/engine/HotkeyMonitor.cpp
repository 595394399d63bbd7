#include "engine/HotkeyMonitor.h"

namespace pastiq {

HotkeyMonitor::HotkeyMonitor(HotkeyGrab& backend) : backend_(backend) {}

HotkeyMonitor::~HotkeyMonitor() {
    // The backend's press handler refers to this monitor; it must not outlive it.
    unregisterHotkey();
}

void HotkeyMonitor::registerHotkey() {
    // Registering again replaces the earlier grab instead of adding a second one.
    unregisterHotkey();
    backend_.registerHotkey([this] {
        if (onPressed) {
            onPressed();
        }
    });
    isRegistered_ = true;
}

void HotkeyMonitor::unregisterHotkey() {
    if (!isRegistered_) {
        return;
    }
    backend_.unregisterHotkey();
    isRegistered_ = false;
}

}  // namespace pastiq
