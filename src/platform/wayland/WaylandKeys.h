#pragma once

#include <memory>

#include "platform/wayland/GrabPermission.h"
#include "platform/wayland/JudgedKeyWrites.h"
#include "platform/wayland/KeySink.h"
#include "platform/wayland/KeyboardSource.h"
#include "platform/wayland/KeymapSource.h"
#include "platform/wayland/MainThread.h"

namespace pastiq {
class EventPoster;
class HotkeyGrab;
class KeyGrab;
class Log;
class ModifierState;
}  // namespace pastiq

namespace pastiq::wayland {

class KeyClipboard;

// Pastiq's keys on Wayland: the key thread with the keyboards, the compositor's keymap and the
// virtual keyboard, behind the engine's key grab, hot key, modifier state and copy keystroke.
class WaylandKeys {
  public:
    // What the key thread takes over; each is used on that thread only from then on.
    struct Devices {
        std::unique_ptr<KeyboardSource> keyboards;
        std::unique_ptr<KeymapSource> keymap;
        std::unique_ptr<KeySink> sink;
        std::unique_ptr<GrabPermission> permission;  // optional
    };

    // Nothing when the key thread cannot start. `clipboard` and `log` outlive the result;
    // `log` is only called on the main thread.
    static std::unique_ptr<WaylandKeys> start(Devices devices, KeyClipboard& clipboard,
                                              const MainThreadPost& mainThread, Log& log);
    // Lets every keyboard go and stops the key thread. Main thread.
    ~WaylandKeys();
    WaylandKeys(const WaylandKeys&) = delete;
    WaylandKeys& operator=(const WaylandKeys&) = delete;

    KeyGrab& keyGrab();
    HotkeyGrab& hotkey();
    ModifierState& modifiers();
    EventPoster& eventPoster();
    // For the clipboard's main-thread writes: a key being judged waits until they are applied.
    JudgedKeyWrites& judgedKeyWrites();

    struct Parts;
    explicit WaylandKeys(std::unique_ptr<Parts> parts);

  private:
    std::unique_ptr<Parts> parts_;
};

}  // namespace pastiq::wayland
