#pragma once

#include <functional>
#include <memory>

#include "engine/ports/DisplayBackend.h"
#include "engine/ports/Log.h"
#include "platform/wayland/MainThread.h"

namespace pastiq::wayland {

// Pastiq's Wayland adapters behind the engine's ports. Keys come from the keyboards Pastiq
// reads (and grabs while a session runs) and leave through one virtual keyboard, on a key
// thread of their own; the clipboard is the compositor's data-control protocol (or, on GNOME,
// XWayland's X11 clipboard, which the compositor bridges), on a thread and connection of its own.
// Neither waits for the main thread. The panels stay toolkit windows (on XWayland), so their
// window-manager side and the focus question come from the app.
class WaylandPlatform final : public DisplayBackend {
    struct Passkey {};
    struct Parts;

  public:
    // Nothing when no compositor answers. A compositor without data-control, keyboards Pastiq
    // may not read or no way to type keys still give a platform: its input access says what is
    // missing, and the session never starts. `desktop` gives the toolkit's window system and
    // focus probe, and refusing stand-ins for whatever the compositor or the user's rights leave
    // out; they outlive the platform. `log` is only called on the main thread and outlives it.
    static std::unique_ptr<WaylandPlatform> start(const MainThreadPost& post, Log& log,
                                                  DisplayPorts desktop);
    WaylandPlatform(Passkey, std::unique_ptr<Parts> parts);
    // Lets every keyboard go, then stops the threads. Main thread.
    ~WaylandPlatform() override;
    WaylandPlatform(const WaylandPlatform&) = delete;
    WaylandPlatform& operator=(const WaylandPlatform&) = delete;

    [[nodiscard]] DisplayPorts ports() override;
    [[nodiscard]] std::string_view name() const override { return "wayland"; }
    void onConnectionLost(std::function<void()> handler) override;

  private:
    std::unique_ptr<Parts> parts_;
};

}  // namespace pastiq::wayland
