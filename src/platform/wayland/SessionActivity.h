#pragma once

#include <memory>
#include <string>

#include "platform/wayland/GrabPermission.h"
#include "platform/wayland/SessionType.h"

struct sd_bus;
struct sd_bus_message;
struct sd_bus_slot;

namespace pastiq::wayland {

// Whether Pastiq may hold the keyboards: only while logind reports its desktop session active
// (in the foreground, not switched away to another user or virtual terminal) and unlocked. A
// grab held past that point would also take the keys typed on the lock screen or another
// user's session. Without logind (containers, tests) grabs are allowed. Blocks only while it
// starts; after that its bus traffic is handled on the key thread's poll.
class SessionActivity final : public GrabPermission {
  public:
    // This process's logind session; when it has none (started by the user's service manager),
    // the session $XDG_SESSION_ID names, then the user's graphical session.
    [[nodiscard]] static std::unique_ptr<SessionActivity> forThisProcess(
        const EnvironmentLookup& environment);

    // Follows the logind session at `sessionPath` over `bus` (a reference it takes over); with
    // no bus, follows nothing and allows grabs.
    SessionActivity(sd_bus* bus, std::string sessionPath,
                    std::string service = "org.freedesktop.login1");
    ~SessionActivity() override;

    // For poll(): the bus's fd (-1 when nothing is followed) and the events it waits for.
    [[nodiscard]] int fd() const override;
    [[nodiscard]] short pollEvents() const;
    // Handles what the bus sent, without blocking. Once the bus is gone, the last state seen
    // stays in force.
    void dispatch() override;
    [[nodiscard]] bool allowsGrab() const override { return active_ && !locked_; }

  private:
    void start();
    void stop();
    // The bus's callbacks, which name sd-bus types this header leaves out.
    struct Callbacks;
    friend struct Callbacks;
    bool readChanged(sd_bus_message* message);
    void askAll();

    struct BusUnref {
        void operator()(sd_bus* bus) const;
    };
    struct SlotUnref {
        void operator()(sd_bus_slot* slot) const;
    };

    std::unique_ptr<sd_bus, BusUnref> bus_;
    std::unique_ptr<sd_bus_slot, SlotUnref> changes_;
    std::unique_ptr<sd_bus_slot, SlotUnref> pendingRead_;
    std::string sessionPath_;
    std::string service_;
    bool active_ = true;
    bool locked_ = false;
};

}  // namespace pastiq::wayland
