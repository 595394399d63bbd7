#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/x11/MainThreadChannel.h"

namespace pastiq::x11 {

class TimerQueue;
class X11Clipboard;

// The X11 clipboard alone, for a backend whose keys come from elsewhere: a display's
// CLIPBOARD seen from a connection and thread of its own, with the owner, the reader and their
// bounds the X11 backend uses, and no key grabs (so no XInput, XKB or XTEST needed). On GNOME's
// Wayland session this is XWayland's display, whose CLIPBOARD the compositor bridges to every
// native application.
class X11ClipboardService {
    struct Passkey {};
    struct Parts;

  public:
    // Nothing when there is no X display or it lacks XFIXES. Nothing runs until start().
    // `onConnectionLost` runs on the main thread.
    static std::unique_ptr<X11ClipboardService> open(MainThreadPost post,
                                                     std::function<void()> onConnectionLost);
    X11ClipboardService(Passkey, std::unique_ptr<Parts> parts);
    // Stops the X11 thread. Main thread.
    ~X11ClipboardService();
    X11ClipboardService(const X11ClipboardService&) = delete;
    X11ClipboardService& operator=(const X11ClipboardService&) = delete;

    // Before start(): the observer then runs on the X11 thread (see ClipboardOwner).
    void setServeObserver(std::function<void(std::uint64_t serial, bool gaveText)> observer,
                          bool whenTaken = false);
    // Before start(), for a clipboard written only without keys (see ClipboardOwner).
    void matchAnnouncedTimes();
    void start();

    [[nodiscard]] X11Clipboard& clipboard();
    // Any thread: runs `work` on the X11 thread, in order with the clipboard's writes.
    void post(std::function<void()> work);
    // X11 thread only.
    [[nodiscard]] TimerQueue& timers();

  private:
    std::unique_ptr<Parts> parts_;
};

}  // namespace pastiq::x11
