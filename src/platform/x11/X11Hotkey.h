#pragma once

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <functional>
#include <memory>

#include "engine/ports/HotkeyBackend.h"
#include "engine/ports/Log.h"
#include "platform/x11/KeyGrabSet.h"

namespace pastiq::x11 {

class KeyboardTracker;
class MainThreadChannel;
class XConnection;
class XEventLoop;

// Ctrl+Alt+C at the C position, grabbed asynchronously: the press goes to Pastiq alone.
class X11Hotkey final : public HotkeyBackend {
  public:
    X11Hotkey(XConnection& connection, XEventLoop& loop, const MainThreadChannel& mainThread,
              KeyboardTracker& keyboard, Log& log);
    X11Hotkey(const X11Hotkey&) = delete;
    X11Hotkey& operator=(const X11Hotkey&) = delete;

    // Main thread.
    void registerHotkey(std::function<void()> onPressed) override;
    void unregisterHotkey() override;

    // X11 thread.
    [[nodiscard]] bool matches(const xcb_input_key_press_event_t& event) const;
    void handleKeyPress(const xcb_input_key_press_event_t& event);
    void renewGrab();
    void shutdown() { grabs_.release(); }

  private:
    bool grabHotkey();
    void reportGrabFailure();

    XConnection& connection_;
    XEventLoop& loop_;
    const MainThreadChannel& mainThread_;
    KeyboardTracker& keyboard_;
    Log& log_;
    // Main thread.
    std::shared_ptr<std::function<void()>> onPressed_;
    // X11 thread.
    KeyGrabSet grabs_;
};

}  // namespace pastiq::x11
