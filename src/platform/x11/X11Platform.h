#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "engine/ports/EventPoster.h"
#include "engine/ports/FocusProbe.h"
#include "engine/ports/HotkeyBackend.h"
#include "engine/ports/InputAccess.h"
#include "engine/ports/KeyTapBackend.h"
#include "engine/ports/Log.h"
#include "engine/ports/ModifierState.h"
#include "engine/ports/Pasteboard.h"
#include "engine/ports/SelectionProbe.h"
#include "platform/x11/MainThreadChannel.h"

namespace pastiq {

// Pastiq's X11 adapters behind the engine's ports. Two threads, each with its own connection:
// the key thread holds the key grabs and answers their verdicts, the X11 thread serves the
// clipboard and every other request. Neither waits for the main thread; they reach it only
// through the given post function.
class X11Platform {
    struct Passkey {};
    struct Parts;

  public:
    // Nothing when there is no X display or XInput 2.2, XKB, XFIXES or XTEST is missing. `log`
    // is only ever called on the main thread; it must outlive the platform.
    static std::unique_ptr<X11Platform> start(MainThreadPost post, Log& log);
    X11Platform(Passkey, std::unique_ptr<Parts> parts);
    // Releases every grab and stops the X11 thread. Main thread.
    ~X11Platform();
    X11Platform(const X11Platform&) = delete;
    X11Platform& operator=(const X11Platform&) = delete;

    KeyTapBackend& keyTap();
    HotkeyBackend& hotkey();
    Pasteboard& pasteboard();
    EventPoster& eventPoster();
    ModifierState& modifiers();
    FocusProbe& focus();
    InputAccess& inputAccess();
    SelectionProbe& selection();

    // Main thread: called on the main thread once the X11 connection has broken. Its socket is
    // closed by then, so no grab of Pastiq's holds the keyboard.
    void onConnectionLost(std::function<void()> handler);

    // For measurements: called on the X11 thread with the time from each grabbed key press to
    // its replay or release.
    void setVerdictObserver(std::function<void(std::chrono::nanoseconds)> observer);

  private:
    std::unique_ptr<Parts> parts_;
};

}  // namespace pastiq
