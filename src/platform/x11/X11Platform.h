#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "engine/ports/DisplayBackend.h"
#include "engine/ports/Log.h"
#include "platform/x11/MainThreadChannel.h"

struct xcb_connection_t;

namespace pastiq {

// Pastiq's X11 adapters behind the engine's ports. Two threads, each with its own connection:
// the key thread holds the key grabs and answers their verdicts, the X11 thread serves the
// clipboard and every other request. Neither waits for the main thread; they reach it only
// through the given post function.
class X11Platform final : public DisplayBackend {
    struct Passkey {};
    struct Parts;

  public:
    // Nothing when there is no X display or XInput 2.2, XKB, XFIXES or XTEST is missing. `log`
    // is only ever called on the main thread; it must outlive the platform. `windowConnection`
    // is the connection the program's windows live on (the toolkit's), for their window-manager
    // hints; nullptr when they are not X11 windows.
    static std::unique_ptr<X11Platform> start(MainThreadPost post, Log& log,
                                              xcb_connection_t* windowConnection = nullptr);
    X11Platform(Passkey, std::unique_ptr<Parts> parts);
    // Releases every grab and stops the X11 thread. Main thread.
    ~X11Platform() override;
    X11Platform(const X11Platform&) = delete;
    X11Platform& operator=(const X11Platform&) = delete;

    [[nodiscard]] DisplayPorts ports() override;
    [[nodiscard]] std::string_view name() const override { return "x11"; }
    void onConnectionLost(std::function<void()> handler) override;

    // For measurements: called on the X11 thread with the time from each grabbed key press to
    // its replay or release.
    void setVerdictObserver(std::function<void(std::chrono::nanoseconds)> observer);

  private:
    std::unique_ptr<Parts> parts_;
};

}  // namespace pastiq
